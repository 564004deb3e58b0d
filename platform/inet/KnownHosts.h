// Host keys in OpenSSH's known_hosts format, so that a line from ssh-keyscan or from a user's
// own ~/.ssh/known_hosts works as it is: host patterns (comma-separated, with NamePattern's "*"
// and "?" and a leading "!" for negation; "[host]:port" for ports other than 22) or one hashed
// name ("|1|salt|hash", HMAC-SHA1), a key type, the key in base64, an optional comment;
// "@revoked" lines; "#" comments. "@cert-authority" lines and lines of unknown form are
// skipped, never fatal. Pure (the hash comes from SshDigests).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace inet {

// A server's host key: its type name as known_hosts writes it ("ssh-ed25519",
// "ecdsa-sha2-nistp256", "ssh-rsa" ...) and its public key blob (the bytes the base64 encodes).
struct HostKey {
  std::string type;
  std::string blob;
};

enum class HostKeyVerdict {
  Known,    // a line for the host holds this very key
  Unknown,  // no line for the host holds a key of this type
  Changed,  // lines for the host hold keys of this type, none of them this one
  Revoked,  // a "@revoked" line holds this key (for any host that matches)
};

// The name known_hosts files the server under: the host in lower case for port 22,
// "[host]:port" for any other.
std::string KnownHostsName(std::string_view host, uint16_t port);

// What the lines of `file` (a whole known_hosts file) say of `key` for the server.
HostKeyVerdict CheckHostKey(std::string_view file, std::string_view host, uint16_t port,
                            const HostKey& key);

// The key types `file` holds for the server, each once, in the order of their first line (the
// key exchange asks for these first, so that a key the user added is the one the server shows).
std::vector<std::string> KnownKeyTypes(std::string_view file, std::string_view host, uint16_t port);

// One known_hosts line for the server and key ("[127.0.0.1]:2222 ssh-ed25519 AAAA...").
std::string KnownHostsLine(std::string_view host, uint16_t port, const HostKey& key);

// "SHA256:" and the unpadded base64 of the blob's SHA-256, as ssh-keygen -l prints it.
std::string HostKeyFingerprint(const HostKey& key);

}  // namespace inet
