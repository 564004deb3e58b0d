#!/bin/sh
# Makes the certificates of the TLS tests in FOLDER with openssl (EC P-256 keys, quick to
# make): a test CA; server certificates for localhost, 127.0.0.1 and ::1 signed by it, valid,
# expired, and for another name; an intermediate CA with two of its own; and a self-signed one.
# Each server file holds certificate and key (*.pem); its certificate alone is *.crt.
set -eu
cd "$1"
key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$1" 2>/dev/null; }
ext="subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1
basicConstraints=CA:FALSE
extendedKeyUsage=serverAuth"

key ca.key
openssl req -x509 -key ca.key -out ca.crt -days 30 -subj "/CN=Quillpost Test CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" 2>/dev/null
printf '[ca]\ndefault_ca=test\n[test]\ndatabase=index.txt\nnew_certs_dir=.\nserial=serial\n' > ca.cnf
printf 'default_md=sha256\npolicy=any\ncopy_extensions=none\n[any]\ncommonName=supplied\n' >> ca.cnf
: > index.txt
echo 01 > serial

# sign NAME START END EXTENSIONS [ISSUER]: a certificate from ISSUER (default: the CA), valid
# from START to END.
sign() {
  key "$1.key"
  openssl req -new -key "$1.key" -out "$1.csr" -subj "/CN=$1" 2>/dev/null
  printf '%s\n' "$4" > "$1.ext"
  openssl ca -batch -config ca.cnf -cert "${5:-ca}.crt" -keyfile "${5:-ca}.key" -in "$1.csr" \
    -out "$1.crt" -startdate "$2" -enddate "$3" -extfile "$1.ext" -notext 2>/dev/null
  cat "$1.crt" "$1.key" > "$1.pem"
}
now=$(date -u +%Y%m%d%H%M%SZ)
later=$(date -u -d '+30 days' +%Y%m%d%H%M%SZ)
sign server "$now" "$later" "$ext"
sign expired 20200101000000Z 20200201000000Z "$ext"
sign othername "$now" "$later" "subjectAltName=DNS:other.example
basicConstraints=CA:FALSE"
# A partial wildcard, which stands for nothing, beside a whole one.
sign wildcard "$now" "$later" "subjectAltName=DNS:f*.example.jp,DNS:*.example.org
basicConstraints=CA:FALSE"
# An intermediate CA below the CA, and server certificates from it alone (valid; expired):
# their servers send no intermediate, so only a client that finds it elsewhere builds the chain.
sign intermediate "$now" "$later" "basicConstraints=critical,CA:TRUE
keyUsage=critical,keyCertSign"
sign chained "$now" "$later" "$ext" intermediate
sign chainedexpired 20200101000000Z 20200201000000Z "$ext" intermediate

key selfsigned.key
openssl req -x509 -key selfsigned.key -out selfsigned.crt -days 30 -subj "/CN=localhost" \
  -addext "subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1" 2>/dev/null
cat selfsigned.crt selfsigned.key > selfsigned.pem
