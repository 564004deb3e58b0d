#!/usr/bin/python3
"""Quillpost.exe over SFTP under wine, against the test suite's SSH servers on loopback.

The servers are the C++ suite's own OpenSSH sshd (internal-sftp), proftpd's mod_sftp and the
scripted misbehaving one, each started by qp_test_serve, a Linux program of the test build, with
host keys of its own. Each run is a copy of Quillpost.exe in a folder with a Japanese name, so
that Quillpst.known_hosts and Quillpst.key beside it are read through the wide file API, with
standard error redirected (wine_e2e.Run): byte-exact uploads with an Ed25519 key (and an
encrypted ECDSA key whose passphrase is the settings password, in CR LF lines) on a server that
takes no password, with the password against both servers; an unknown host and a changed host
key end the run before any log-in with the key's SHA256 fingerprint in the box; --print-host-key
prints the lines to add; the scripted SSH server's faults end the run with their statuses in
bounded time.

The caller starts wineserver -p and sets WINEPREFIX. The servers need root; without it the
cases are skipped.

Usage: wine_sftp.py QUILLPOST_EXE QP_TEST_SERVE
"""
import os
import subprocess
import sys
import tempfile
import time

from wine_e2e import Run, windows_path
from wine_tls import Serving, run_cases

# The folder of each copy of Quillpost.exe: Japanese, and with "鷗", which code page 932 lacks,
# so that a narrow path could not name it.
FOLDER = "qp-wine-森鷗外の鍵-"


class Tools:
    def __init__(self, exe, serve, work):
        self.exe, self.serve, self.work = exe, serve, work
        self.keys = 0

    def key(self, kind, passphrase=""):
        """A new client key pair: (private key file, public key file)."""
        self.keys += 1
        private = os.path.join(self.work, "id_%s_%d" % (kind, self.keys))
        subprocess.run(["ssh-keygen", "-q", "-t", kind, "-N", passphrase, "-C", "qp-wine",
                        "-f", private], check=True)
        return private, private + ".pub"

    def server(self, kind, public_key=None, *config):
        arguments = [kind]
        if public_key:
            arguments += ["--authorized-key", public_key]
        for line in config:
            arguments += ["--sshd-config", line]
        return Serving(self.serve, arguments)

    def file(self, name, text):
        path = os.path.join(self.work, name)
        with open(path, "w") as f:
            f.write(text)
        return path


def known_hosts(tools, server, only=None):
    """Quillpst.known_hosts with the server's lines (of the key type `only` when given)."""
    lines = [l for l in server.host_keys if only is None or l.split()[1] == only]
    assert lines, server.host_keys
    return tools.file("known_hosts_%d" % server.port, "\n".join(lines) + "\n")


def fingerprint(line):
    """What ssh-keygen -lf prints for a known_hosts line: "SHA256:..."."""
    with tempfile.NamedTemporaryFile("w", suffix=".pub") as f:
        f.write(" ".join(line.split()[1:3]) + "\n")
        f.flush()
        out = subprocess.run(["ssh-keygen", "-lf", f.name], capture_output=True, text=True,
                             check=True).stdout
    return out.split()[1]


def crlf(path):
    """A copy of the file with its lines ending in CR LF."""
    text = open(path, "rb").read().replace(b"\n", b"\r\n")
    open(path + ".crlf", "wb").write(text)
    return path + ".crlf"


def stored(server, *path):
    with open(os.path.join(server.root, *path), "rb") as f:
        return f.read()


def secrets_absent(run, *secrets):
    """Neither password nor key reaches a record."""
    records = run.stdout + run.stderr
    for secret in secrets:
        assert secret not in records, records


CASES = []


def case(function):
    CASES.append(function)
    return function


@case
def key_authentication_uploads_byte_exact_to_a_server_that_takes_no_password(tools, work):
    ed25519, ed25519_public = tools.key("ed25519")
    ecdsa, ecdsa_public = tools.key("ecdsa", passphrase="Kagi-no-Pass 1")
    both = tools.file("authorized", open(ed25519_public).read() + open(ecdsa_public).read())
    server = tools.server("sshd", both, "PasswordAuthentication no")
    try:
        os.makedirs(os.path.join(server.root, "受信"))
        server.request("hand-root")
        data = os.urandom(5 << 20) + b"\r\n\x1a\r\n"
        local = os.path.join(work, "送信 鍵.bin")
        open(local, "wb").write(data)
        hosts = known_hosts(tools, server)
        run = Run(tools.exe, server, windows_path(local), "受信", "報告～書.bin", scheme="sftp://",
                  password="not-the-server's", prefix=FOLDER,
                  beside={"Quillpst.known_hosts": hosts, "Quillpst.key": ed25519})
        assert run.status == 0, (run.status, run.stderr)
        assert stored(server, "受信", "報告～書.bin") == data
        assert " bytes=%d " % len(data) in run.stdout, run.stdout
        assert " via=rename verified=size" in run.stdout, run.stdout
        secrets_absent(run, "not-the-server's", open(ed25519).read().splitlines()[1])
        # An encrypted key: its passphrase is the settings password. Both files as a Windows
        # editor saves them, lines ending in CR LF.
        run = Run(tools.exe, server, windows_path(local), "受信", "暗号鍵.bin", scheme="sftp://",
                  password="Kagi-no-Pass 1", prefix=FOLDER,
                  beside={"Quillpst.known_hosts": crlf(hosts), "Quillpst.key": crlf(ecdsa)})
        assert run.status == 0, (run.status, run.stderr)
        assert stored(server, "受信", "暗号鍵.bin") == data
        secrets_absent(run, "Kagi-no-Pass 1")
        # The wrong passphrase: the key cannot be read, and the password is not taken.
        run = Run(tools.exe, server, windows_path(local), "受信", "x.bin", scheme="sftp://",
                  password="wrong", prefix=FOLDER,
                  beside={"Quillpst.known_hosts": hosts, "Quillpst.key": ecdsa})
        assert run.status == 3 and "Quillpost: 12232 / " in run.stderr, (run.status, run.stderr)
        assert run.one_record_per_box(), run.stderr
        assert not os.path.exists(os.path.join(server.root, "受信", "x.bin"))
    finally:
        server.stop()


def logins(server):
    """The log-ins sshd saw: lines of its log that accept or refuse one."""
    return [l for l in server.request("output")
            if "Accepted " in l or "Failed " in l or "Invalid user" in l]


@case
def an_unknown_or_changed_host_key_ends_the_run_before_any_login(tools, work):
    server = tools.server("sshd")
    try:
        local = os.path.join(work, "u.txt")
        open(local, "wb").write(b"unknown")
        # No known_hosts at all, then one that knows only other hosts.
        other = tools.file("other_hosts", "[127.0.0.1]:%d %s\n" % (
            server.port + 1, " ".join(server.host_keys[0].split()[1:3])))
        for beside in ({}, {"Quillpst.known_hosts": other}):
            run = Run(tools.exe, server, windows_path(local), "", "u.txt", scheme="sftp://",
                      prefix=FOLDER, beside=beside)
            assert run.status == 3 and run.one_record_per_box(), (run.status, run.stderr)
            assert "Quillpost: 12230 / " in run.stderr, run.stderr
            ed25519 = [l for l in server.host_keys if " ssh-ed25519 " in l][0]
            assert "ssh-ed25519 " + fingerprint(ed25519) in run.stderr, run.stderr
            assert "ssh-keyscan -t ed25519 -p %d 127.0.0.1" % server.port in run.stderr, \
                run.stderr
        # Another Ed25519 key stored for the server: the connection may be intercepted.
        _, impostor = tools.key("ed25519")
        changed = tools.file("changed_hosts", "[127.0.0.1]:%d %s\n" % (
            server.port, " ".join(open(impostor).read().split()[:2])))
        run = Run(tools.exe, server, windows_path(local), "", "u.txt", scheme="sftp://",
                  prefix=FOLDER, beside={"Quillpst.known_hosts": changed})
        assert run.status == 3 and "Quillpost: 12231 / " in run.stderr, (run.status, run.stderr)
        assert "SHA256:" in run.stderr, run.stderr
        assert os.listdir(server.root) == [], os.listdir(server.root)
        assert logins(server) == [], logins(server)
    finally:
        server.stop()


@case
def password_authentication_uploads_to_sshd_and_to_proftpd_mod_sftp(tools, work):
    for kind in ("sshd", "proftpd-sftp"):
        data = bytes(range(256)) * 4099 + b"\r\n"
        local = os.path.join(work, "パスワード.bin")
        open(local, "wb").write(data)
        server = tools.server(kind)
        try:
            hosts = known_hosts(tools, server)
            run = Run(tools.exe, server, windows_path(local), "", "受け取り.bin", scheme="sftp://",
                      prefix=FOLDER, beside={"Quillpst.known_hosts": hosts})
            assert run.status == 0, (kind, run.status, run.stderr)
            assert stored(server, "受け取り.bin") == data, kind
            secrets_absent(run, server.password)
            # Again over the file now there: both servers refuse a rename over it, so the old
            # one is deleted and the temporary name renamed again.
            open(local, "ab").write(b"2")
            run = Run(tools.exe, server, windows_path(local), "", "受け取り.bin", scheme="sftp://",
                      prefix=FOLDER, beside={"Quillpst.known_hosts": hosts})
            assert run.status == 0 and " via=replace" in run.stdout, (kind, run.status, run.stdout)
            assert stored(server, "受け取り.bin") == data + b"2", kind
            run = Run(tools.exe, server, windows_path(local), "", "w.bin", scheme="sftp://",
                      password="wrong", prefix=FOLDER, beside={"Quillpst.known_hosts": hosts})
            assert run.status == 3 and "Quillpost: 12232 / " in run.stderr, \
                (kind, run.status, run.stderr)
            assert os.listdir(server.root) == ["受け取り.bin"], (kind, os.listdir(server.root))
        finally:
            server.stop()


@case
def a_misbehaving_server_ends_the_run_in_bounded_time_with_its_status(tools, work):
    # The scripted server: keyboard-interactive alone; a banner that is no SSH; a connection
    # closed mid-upload; an upload that stalls (the data idle rule's 60 s, on Winsock).
    data = os.urandom(4 << 20)
    local = os.path.join(work, "f.bin")
    open(local, "wb").write(data)
    for scenario, status, code in (("keyboard-only", 0, None), ("garbage-banner", 3, 12233),
                                   ("close-mid-upload", 4, None), ("stall-write", 4, 12002)):
        server = tools.server("scripted-ssh:" + scenario)
        try:
            hosts = known_hosts(tools, server)
            started = time.monotonic()
            run = Run(tools.exe, server, windows_path(local), "", "f.bin", scheme="sftp://",
                      prefix=FOLDER, beside={"Quillpst.known_hosts": hosts})
            took = time.monotonic() - started
            assert run.status == status and run.one_record_per_box(), \
                (scenario, run.status, run.stderr)
            if code:
                assert "Quillpost: %d / " % code in run.stderr, (scenario, run.stderr)
            if status == 0:
                assert stored(server, "f.bin") == data
            assert took < 100, (scenario, took)
        finally:
            server.stop()


@case
def print_host_key_prints_lines_that_a_later_run_trusts(tools, work):
    server = tools.server("proftpd-sftp")
    try:
        run = Run(tools.exe, server, "", "", "", scheme="sftp://", prefix=FOLDER,
                  arguments=["--print-host-key"])
        assert run.status == 0, (run.status, run.stderr)
        lines = [l for l in run.stdout.splitlines() if l and not l.startswith("#")]
        assert sorted(" ".join(l.split()[:3]) for l in lines) == \
            sorted(" ".join(l.split()[:3]) for l in server.host_keys), (run.stdout,
                                                                          server.host_keys)
        for line in server.host_keys:
            assert fingerprint(line) in run.stdout, run.stdout
        local = os.path.join(work, "p.txt")
        open(local, "wb").write(b"printed")
        hosts = tools.file("printed_hosts", run.stdout)
        run = Run(tools.exe, server, windows_path(local), "", "p.txt", scheme="sftp://",
                  prefix=FOLDER, beside={"Quillpst.known_hosts": hosts})
        assert run.status == 0, (run.status, run.stderr)
        assert stored(server, "p.txt") == b"printed"
    finally:
        server.stop()


def main():
    with tempfile.TemporaryDirectory(prefix="qp-wine-sftp-") as work:
        tools = Tools(*(os.path.abspath(path) for path in sys.argv[1:3]), work)
        return run_cases(CASES, tools, work)


if __name__ == "__main__":
    sys.exit(main())
