#!/usr/bin/python3
"""Quillpost.exe over TLS under wine, against the test suite's servers on loopback.

The servers are the C++ suite's own (vsftpd requiring TLS session reuse, proftpd, pure-ftpd,
pyftpdlib, the scripted server), each started by qp_test_serve, a Linux program of the test
build, with the suite's test certificates (make_test_certificates.sh, one set for the run). Each run is a copy of Quillpost.exe with standard
error redirected (wine_e2e.Run): byte-exact uploads to Japanese names at the start-up's usual
pace (listings, a change of folder, the upload, a listing), explicit and implicit TLS, passive;
every refused certificate with its number and fingerprint and with no USER or PASS reaching
the server; and the test CA trusted from the current user's ROOT store without Quillpst.pem.

The caller starts wineserver -p and sets WINEPREFIX. Servers other than pyftpdlib and the
scripted one need root; without it their cases are skipped.

Usage: wine_tls.py QUILLPOST_EXE QP_TEST_SERVE QP_CERT_STORE_EXE
"""
import os
import re
import subprocess
import sys
import tempfile
import time

from wine_e2e import Run, windows_path

CERTIFICATES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support", "common",
                            "make_test_certificates.sh")


class Skip(Exception):
    pass


class Serving:
    """A server run by qp_test_serve `serve` with `arguments` (its kind first): host, port,
    user, password, root, and host_keys (the SSH servers' known_hosts lines)."""

    def __init__(self, serve, arguments):
        kind = arguments[0]
        arguments = [serve, *arguments]
        self.errors = tempfile.TemporaryFile()
        self.process = subprocess.Popen(arguments, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=self.errors)
        fields, self.host_keys = {}, []
        for line in iter(self.process.stdout.readline, b""):
            line = line.decode().rstrip("\n")
            if line == "ready":
                break
            key, _, value = line.partition("=")
            if key == "hostkey":
                self.host_keys.append(value)
            else:
                fields[key] = value
        if "port" not in fields:
            self.process.wait(timeout=30)
            self.errors.seek(0)
            why = self.errors.read().decode(errors="replace")
            if "needs root" in why or "is missing" in why:
                raise Skip(why.strip())
            raise RuntimeError("%s did not start: %s" % (kind, why))
        self.port = int(fields["port"])
        self.user, self.password, self.root = fields["user"], fields["password"], fields["root"]

    def request(self, what):
        self.process.stdin.write(what.encode() + b"\n")
        self.process.stdin.flush()
        lines = []
        for line in iter(self.process.stdout.readline, b""):
            if line == b".\n":
                return lines
            lines.append(line[2:].decode(errors="replace").rstrip("\n"))
        raise RuntimeError("qp_test_serve ended")

    def stop(self):
        self.process.stdin.close()
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.terminate()
            self.process.wait(timeout=20)


class Served(Serving):
    """A server run by qp_test_serve with the certificate `cert` of the run's set (explicit TLS
    unless `tls` says otherwise)."""

    def __init__(self, tools, kind, tls="explicit", cert="server"):
        super().__init__(tools.serve,
                         [kind, "--tls", tls, "--cert", tools.certificate(cert + ".pem")])


class Tools:
    """Quillpost.exe, qp_test_serve, qp_cert_store.exe, and the run's certificates."""

    def __init__(self, exe, serve, store, certificates):
        self.exe, self.serve, self.store = exe, serve, store
        self.certificates = certificates
        subprocess.run(["sh", CERTIFICATES, certificates], check=True)

    def certificate(self, name):
        return os.path.join(self.certificates, name)


def fingerprint(certificate):
    out = subprocess.run(["openssl", "x509", "-noout", "-fingerprint", "-sha256", "-in",
                          certificate], capture_output=True, text=True, check=True).stdout
    return out.strip().split("=", 1)[1]


CASES = []


def case(function):
    CASES.append(function)
    return function


# (server, mode): every combination the servers of the suite take.
UPLOADS = [("pyftpdlib", "explicit"), ("vsftpd", "explicit"), ("vsftpd", "implicit"),
           ("pure-ftpd", "explicit"), ("proftpd", "explicit"), ("proftpd", "implicit")]


def upload(tools, work, kind, mode):
    data = os.urandom(3 << 20) + b"\r\n\x1a\r\n"
    local = os.path.join(work, "送信 %s %s.bin" % (kind, mode))
    open(local, "wb").write(data)
    server = Served(tools, kind, mode)
    try:
        os.makedirs(os.path.join(server.root, "受信"))
        server.request("hand-root")
        scheme = "ftpes://" if mode == "explicit" else "ftps://"
        # Quillpst.pem in a folder with a Japanese name: read through the wide file API.
        run = Run(tools.exe, server, windows_path(local), "受信", "報告～書.bin", scheme=scheme,
                  trust=tools.certificate("ca.crt"), prefix="qp-wine-証明書-")
        assert run.status == 0, (run.status, run.stderr)
        stored = os.path.join(server.root, "受信", "報告～書.bin")
        assert open(stored, "rb").read() == data, os.listdir(os.path.dirname(stored))
        assert " bytes=%d " % len(data) in run.stdout, run.stdout
        if kind == "proftpd":
            # It refuses the data connection after an upload at TLS 1.3; the run goes on over a
            # new control connection at TLS 1.2 (the listing after the upload).
            log = "\n".join(server.request("output"))
            assert "client did not reuse TLS session, rejecting data connection" in log, log
            assert "TLSv1.2 connection accepted" in log, log
    finally:
        server.stop()


def upload_case(kind, mode):
    def test(tools, work):
        upload(tools, work, kind, mode)
    test.__name__ = "upload_over_%s_tls_to_%s_arrives_byte_exact" % (mode, kind.replace("-", ""))
    return test


for kind, mode in UPLOADS:
    case(upload_case(kind, mode))


@case
def now_date_mode_over_tls_names_the_file_by_the_time(tools, work):
    local = os.path.join(work, "d.csv")
    open(local, "wb").write(b"1,2\r\n")
    server = Served(tools, "pyftpdlib")
    try:
        run = Run(tools.exe, server, windows_path(local), "", "NowDateMode", scheme="ftpes://",
                  trust=tools.certificate("ca.crt"))
        assert run.status == 0 and "に送信されました" not in run.stderr, (run.status, run.stderr)
        named = os.listdir(server.root)
        assert len(named) == 1 and re.fullmatch(r"\d{12}", named[0]), named
        assert open(os.path.join(server.root, named[0]), "rb").read() == b"1,2\r\n"
    finally:
        server.stop()


def refused(tools, work, kind, cert, code, trust=True, host="127.0.0.1"):
    """A run against a server with certificate `cert` that must end before any log-in."""
    local = os.path.join(work, "r.txt")
    open(local, "wb").write(b"r")
    server = Served(tools, kind, cert=cert)
    try:
        run = Run(tools.exe, server, windows_path(local), "", "r.txt", scheme="ftpes://",
                  trust=tools.certificate("ca.crt") if trust else None, host=host)
        assert run.status == 3 and run.one_record_per_box(), (run.status, run.stderr)
        assert "Quillpost: %d / " % code in run.stderr, run.stderr
        assert fingerprint(tools.certificate(cert + ".crt")) in run.stderr, run.stderr
        assert server.request("commands") == ["AUTH TLS"], server.request("commands")
    finally:
        server.stop()


@case
def refused_certificates_give_their_number_and_no_login_is_sent(tools, work):
    refused(tools, work, "pyftpdlib", "server", 12045, trust=False)  # the test CA unknown
    refused(tools, work, "pyftpdlib", "othername", 12038)
    refused(tools, work, "pyftpdlib", "expired", 12037)
    refused(tools, work, "scripted:tls", "selfsigned", 12045)


def change_store(tools, action, certificate, store="ROOT"):
    """Adds a certificate file to one of the current user's stores, or removes it."""
    status = subprocess.call(["wine", tools.store, action, windows_path(certificate), store],
                             stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    assert status == 0, "qp_cert_store %s %s failed: %d" % (action, store, status)


@case
def a_ca_in_the_users_root_store_is_trusted_without_quillpst_pem_unless_disallowed(tools, work):
    local = os.path.join(work, "s.txt")
    open(local, "wb").write(b"store")
    ca = tools.certificate("ca.crt")
    server = Served(tools, "pyftpdlib")
    try:
        change_store(tools, "add", ca)
        try:
            run = Run(tools.exe, server, windows_path(local), "", "s.txt", scheme="ftpes://")
            # Also among the user's untrusted certificates, it is not trusted.
            change_store(tools, "add", ca, "Disallowed")
            try:
                distrusted = Run(tools.exe, server, windows_path(local), "", "d.txt",
                                 scheme="ftpes://")
            finally:
                change_store(tools, "remove", ca, "Disallowed")
        finally:
            change_store(tools, "remove", ca)
        assert run.status == 0, (run.status, run.stderr)
        assert open(os.path.join(server.root, "s.txt"), "rb").read() == b"store"
        assert distrusted.status == 3 and "Quillpost: 12045 / " in distrusted.stderr, \
            (distrusted.status, distrusted.stderr)
        # Removed again, it is trusted no more: the trust came from the store.
        run = Run(tools.exe, server, windows_path(local), "", "t.txt", scheme="ftpes://")
        assert run.status == 3 and "Quillpost: 12045 / " in run.stderr, (run.status, run.stderr)
    finally:
        server.stop()


@case
def an_issuer_only_the_windows_chain_engine_finds_is_trusted_and_dates_still_count(tools, work):
    # These servers send their certificate without the intermediate CA that signed it: OpenSSL
    # finds no issuer for it, the Windows chain engine finds it in the "CA" store. The server
    # is named "localhost": wine's chain engine matches no address literal.
    local = os.path.join(work, "c.txt")
    open(local, "wb").write(b"chain")
    ca, intermediate = tools.certificate("ca.crt"), tools.certificate("intermediate.crt")
    # Without the intermediate in the store, the chain engine finds no chain either.
    refused(tools, work, "pyftpdlib", "chained", 12045, host="localhost")
    server = Served(tools, "pyftpdlib", cert="chained")
    try:
        change_store(tools, "add", ca)
        change_store(tools, "add", intermediate, "CA")
        try:
            run = Run(tools.exe, server, windows_path(local), "", "c.txt", scheme="ftpes://",
                      host="localhost")
            # The issuer is trusted now, but the certificate's dates are still checked.
            refused(tools, work, "pyftpdlib", "chainedexpired", 12037, host="localhost")
        finally:
            change_store(tools, "remove", intermediate, "CA")
            change_store(tools, "remove", ca)
        assert run.status == 0, (run.status, run.stderr)
        assert open(os.path.join(server.root, "c.txt"), "rb").read() == b"chain"
    finally:
        server.stop()


def run_cases(cases, tools, work):
    """Runs each case with (tools, work), prints one line for each and the counts; returns the
    exit status: 1 when a case failed."""
    passed = failed = skipped = 0
    for test in cases:
        started = time.monotonic()
        try:
            test(tools, work)
            passed += 1
            print("ok   %s (%.1f s)" % (test.__name__, time.monotonic() - started))
        except Skip as why:
            skipped += 1
            print("skip %s: %s" % (test.__name__, why))
        except Exception as error:  # a failed check or a broken run alike
            failed += 1
            print("FAIL %s: %r" % (test.__name__, error))
        sys.stdout.flush()
    print("%d passed, %d failed, %d skipped" % (passed, failed, skipped))
    return 1 if failed else 0


def main():
    with tempfile.TemporaryDirectory(prefix="qp-wine-tls-") as work:
        certificates = os.path.join(work, "certificates")
        os.mkdir(certificates)
        tools = Tools(*(os.path.abspath(path) for path in sys.argv[1:4]), certificates)
        return run_cases(CASES, tools, work)


if __name__ == "__main__":
    sys.exit(main())
