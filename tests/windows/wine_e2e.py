#!/usr/bin/python3
"""Quillpost.exe end to end under wine, against pyftpdlib on loopback.

Each case writes a settings file beside a copy of Quillpost.exe, runs it with standard error
redirected to a file (so it writes its boxes there as records, as a scheduled task would have
it) and checks the exit status, the records and what reached the server.

Wine's output always goes to files: its helper processes inherit the pipes they are given and
would keep a reader waiting. The caller starts wineserver -p and sets WINEPREFIX.

Usage: wine_e2e.py QUILLPOST_EXE
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "..", "support", "common", "pyftpd_server.py")
USER, PASSWORD = "tester", "Pass-1234"
# One record per line, as on Linux: local time with its offset, the title, the text.
RECORD = re.compile(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d Quillpost: ")


def scramble(text):
    """The password as the settings file stores it: each character's code less 15."""
    return "".join(chr(ord(c) - 15) for c in text)


def settings_bytes(fields):
    line = ",".join('"' + f.replace('"', '""') + '"' for f in fields) + "\r\n"
    return (line + line).encode("cp932")


def windows_path(path):
    """A Linux path as wine's programs see it: the drive Z: is the file system's root."""
    return "Z:" + path.replace("/", "\\")


class Server:
    def __init__(self, root, log):
        self.root = root
        self.log = log
        self.process = subprocess.Popen(
            ["/usr/bin/python3", SERVER, "--host", "127.0.0.1", "--root", root, "--user", USER,
             "--password", PASSWORD, "--command-log", log],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.port = int(self.process.stdout.readline())

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)


class Run:
    def __init__(self, exe, server, local, remote_dir, remote_name, password=PASSWORD,
                 settings=True, scheme="", arguments=()):
        self.folder = tempfile.mkdtemp(prefix="qp-wine-")
        shutil.copy(exe, os.path.join(self.folder, "Quillpost.exe"))
        if settings:
            fields = [scheme + "127.0.0.1:%d" % server.port, USER, scramble(password), remote_dir,
                      local, remote_name]
            with open(os.path.join(self.folder, "Quillpst.dat"), "wb") as f:
                f.write(settings_bytes(fields))
        out, err = (os.path.join(self.folder, n) for n in ("out.txt", "err.txt"))
        with open(out, "wb") as o, open(err, "wb") as e:
            self.status = subprocess.call(
                ["wine", os.path.join(self.folder, "Quillpost.exe"), *arguments],
                stdin=subprocess.DEVNULL,
                stdout=o, stderr=e, timeout=120)
        self.stderr = open(err, encoding="utf-8", errors="replace").read()
        self.stdout = open(out, encoding="utf-8", errors="replace").read()

    def one_record_per_box(self):
        return all(RECORD.match(line) for line in self.stderr.splitlines())

    def __del__(self):
        shutil.rmtree(self.folder, ignore_errors=True)


CASES = []


def case(function):
    CASES.append(function)
    return function


@case
def upload_arrives_byte_exact_with_the_completion_record(exe, server, work):
    data = bytes(range(256)) * 41 + b"\r\n\x1a\r\n"
    local = os.path.join(work, "data.bin")
    open(local, "wb").write(data)
    os.makedirs(os.path.join(server.root, "in"))
    run = Run(exe, server, windows_path(local), "in", "stored.bin")
    assert run.status == 0, (run.status, run.stderr)
    assert open(os.path.join(server.root, "in", "stored.bin"), "rb").read() == data
    assert "に送信されました" in run.stderr and windows_path(local) in run.stderr, run.stderr
    assert run.one_record_per_box(), run.stderr
    assert RECORD.match(run.stdout) and "name=stored.bin bytes=%d " % len(data) in run.stdout, \
        run.stdout


@case
def a_missing_remote_folder_stores_in_the_login_folder_with_status_5(exe, server, work):
    local = os.path.join(work, "five.txt")
    open(local, "wb").write(b"5")
    run = Run(exe, server, windows_path(local), "no-such-folder", "five.txt")
    assert run.status == 5, (run.status, run.stderr)
    assert open(os.path.join(server.root, "five.txt"), "rb").read() == b"5"


@case
def version_prints_and_other_arguments_are_refused(exe, server, work):
    run = Run(exe, server, "", "", "", settings=False, arguments=["--version"])
    assert run.status == 0 and run.stdout.startswith("Quillpost "), (run.status, run.stdout)
    run = Run(exe, server, "", "", "", settings=False, arguments=["--upload-now"])
    assert run.status == 64 and "--upload-now" in run.stderr, (run.status, run.stderr)


@case
def now_date_mode_names_the_file_by_the_time_and_shows_no_box(exe, server, work):
    local = os.path.join(work, "now.txt")
    open(local, "wb").write(b"now")
    before = set(os.listdir(server.root))
    run = Run(exe, server, windows_path(local), "", "NowDateMode")
    assert run.status == 0, (run.status, run.stderr)
    added = set(os.listdir(server.root)) - before
    assert len(added) == 1 and re.fullmatch(r"\d{12}", added.pop()), added
    assert "に送信されました" not in run.stderr, run.stderr


@case
def japanese_local_path_and_remote_names(exe, server, work):
    folder = os.path.join(work, "データ")
    os.makedirs(folder)
    local = os.path.join(folder, "報告書 12月.txt")
    open(local, "wb").write("日本語の中身".encode("utf-8"))
    os.makedirs(os.path.join(server.root, "受信"))
    run = Run(exe, server, windows_path(local), "受信", "受け取り～済み.txt")
    assert run.status == 0, (run.status, run.stderr)
    stored = os.path.join(server.root, "受信", "受け取り～済み.txt")
    assert open(stored, "rb").read() == "日本語の中身".encode("utf-8"), os.listdir(server.root)


@case
def wrong_password_ends_with_status_3(exe, server, work):
    local = os.path.join(work, "x.txt")
    open(local, "wb").write(b"x")
    run = Run(exe, server, windows_path(local), "", "x.txt", password="wrong")
    assert run.status == 3, (run.status, run.stderr)
    assert "接続できませんでした" in run.stderr and run.one_record_per_box(), run.stderr
    assert not os.path.exists(os.path.join(server.root, "x.txt"))


@case
def tls_is_refused_before_any_credential_is_sent(exe, server, work):
    local = os.path.join(work, "t.txt")
    open(local, "wb").write(b"t")
    logged = os.path.getsize(server.log)
    run = Run(exe, server, windows_path(local), "", "t.txt", scheme="ftpes://")
    assert run.status == 3, (run.status, run.stderr)
    assert "FTPS" in run.stderr, run.stderr
    with open(server.log, "rb") as log:
        log.seek(logged)
        sent = log.read()
    assert b"USER" not in sent and b"PASS" not in sent, sent


@case
def missing_local_file_ends_with_status_2(exe, server, work):
    run = Run(exe, server, windows_path(os.path.join(work, "missing.txt")), "", "m.txt")
    assert run.status == 2, (run.status, run.stderr)
    assert "指定したローカルファイルは存在しません" in run.stderr, run.stderr


@case
def missing_settings_file_ends_with_status_1(exe, server, work):
    run = Run(exe, server, "", "", "", settings=False)
    assert run.status == 1, (run.status, run.stderr)
    assert "Quillpst.dat" in run.stderr, run.stderr


def main():
    exe = os.path.abspath(sys.argv[1])
    passed = failed = 0
    with tempfile.TemporaryDirectory(prefix="qp-wine-served-") as root, \
            tempfile.TemporaryDirectory(prefix="qp-wine-local-") as work:
        server = Server(root, os.path.join(work, "commands.log"))
        try:
            for test in CASES:
                started = time.monotonic()
                try:
                    test(exe, server, work)
                    passed += 1
                    print("ok   %s (%.1f s)" % (test.__name__, time.monotonic() - started))
                except Exception as error:  # a failed check or a broken run alike
                    failed += 1
                    print("FAIL %s: %r" % (test.__name__, error))
        finally:
            server.stop()
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
