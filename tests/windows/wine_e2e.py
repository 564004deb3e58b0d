#!/usr/bin/python3
"""Quillpost.exe end to end under wine, against pyftpdlib on loopback.

Each case writes a settings file beside a copy of Quillpost.exe, runs it with standard error
redirected to a file (so it writes its boxes there as records, as a scheduled task would have
it) and checks the exit status, the records and what reached the server: the engine on
Winsock, Japanese paths through the wide file API, the records, the command line and the TLS
refusal of a server without TLS. The TLS runs against every server are in wine_tls.py.

Wine's output always goes to files: its helper processes inherit the pipes they are given and
would keep a reader waiting. The caller starts wineserver -p and sets WINEPREFIX.

The last case runs Quillpost.exe with a display and standard error not redirected, so that
the start-up runs in its window (never shown): quillpost_window_probe.exe answers its boxes and
works its list meanwhile, and Quillpost.exe's test hook (QP_TEST_LIST_FILE, see
uploader/win32/ListTestHook.h) writes the list's lines before the window goes.

Usage: wine_e2e.py QUILLPOST_EXE WINDOW_PROBE_EXE
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
PROBE = None  # quillpost_window_probe.exe, from the command line
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
    user, password = USER, PASSWORD

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
    """A run of a copy of Quillpost.exe in a folder of its own, with its settings file (the
    server's user and password unless given) and, when `trust` names a file, "Quillpst.pem";
    `beside` maps more names beside the executable to the files copied there; window=True leaves standard error unredirected (the window path) and has it write its list
    into the file list_file."""

    def __init__(self, exe, server, local, remote_dir, remote_name, settings=True, scheme="",
                 arguments=(), password=None, window=False, trust=None, host="127.0.0.1",
                 prefix="qp-wine-", beside=None):
        self.folder = tempfile.mkdtemp(prefix=prefix)
        shutil.copy(exe, os.path.join(self.folder, "Quillpost.exe"))
        if trust:
            shutil.copy(trust, os.path.join(self.folder, "Quillpst.pem"))
        for name, source in (beside or {}).items():
            shutil.copy(source, os.path.join(self.folder, name))
        if settings:
            password = server.password if password is None else password
            fields = [scheme + host + ":%d" % server.port, server.user, scramble(password),
                      remote_dir, local, remote_name]
            with open(os.path.join(self.folder, "Quillpst.dat"), "wb") as f:
                f.write(settings_bytes(fields))
        out, err = (os.path.join(self.folder, n) for n in ("out.txt", "err.txt"))
        self.list_file = os.path.join(self.folder, "list.txt")
        environment = dict(os.environ, QP_TEST_LIST_FILE=windows_path(self.list_file))
        with open(out, "wb") as o, open(err, "wb") as e:
            self.status = subprocess.call(
                ["wine", os.path.join(self.folder, "Quillpost.exe"), *arguments],
                stdin=subprocess.DEVNULL, env=environment if window else None,
                stdout=o, stderr=subprocess.DEVNULL if window else e, timeout=120)
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


# The runs a scheduler sees on Windows, each with its exit status; the texts of the messages
# come from the same core as on Linux, where the program tests read them.


@case
def upload_from_a_japanese_path_arrives_byte_exact_with_its_records(exe, server, work):
    data = bytes(range(256)) * 41 + b"\r\n\x1a\r\n"
    folder = os.path.join(work, "データ")
    os.makedirs(folder)
    local = os.path.join(folder, "報告書 12月.bin")
    open(local, "wb").write(data)
    os.makedirs(os.path.join(server.root, "受信"))
    run = Run(exe, server, windows_path(local), "受信", "受け取り～済み.bin")
    assert run.status == 0, (run.status, run.stderr)
    stored = os.path.join(server.root, "受信", "受け取り～済み.bin")
    assert open(stored, "rb").read() == data, os.listdir(server.root)
    assert "に送信されました" in run.stderr and windows_path(local) in run.stderr, run.stderr
    assert run.one_record_per_box(), run.stderr
    assert RECORD.match(run.stdout) and " bytes=%d " % len(data) in run.stdout, run.stdout


@case
def now_date_mode_and_every_failure_end_with_their_status(exe, server, work):
    local = os.path.join(work, "d.csv")
    open(local, "wb").write(b"1,2\r\n")
    here = windows_path(local)
    before = set(os.listdir(server.root))
    run = Run(exe, server, here, "", "NowDateMode")
    assert run.status == 0 and "に送信されました" not in run.stderr, (run.status, run.stderr)
    named = set(os.listdir(server.root)) - before
    assert len(named) == 1 and re.fullmatch(r"\d{12}", named.pop()), os.listdir(server.root)
    runs = [  # (status, run)
        (1, Run(exe, server, here, "", "x.csv", settings=False)),
        (2, Run(exe, server, windows_path(os.path.join(work, "absent.csv")), "", "x.csv")),
        (3, Run(exe, server, here, "", "x.csv", password="wrong")),
        (5, Run(exe, server, here, "no-such-folder", "x.csv")),
    ]
    for status, run in runs:
        assert run.status == status and run.one_record_per_box(), (status, run.status, run.stderr)


@case
def a_scheduled_run_renames_into_place_and_logs_to_a_japanese_path(exe, server, work):
    # The options come through the wide command line: a log path outside the ANSI code page
    # would be lost through the narrow one.
    local = os.path.join(work, "定期.csv")
    open(local, "wb").write(b"scheduled\r\n")
    os.makedirs(os.path.join(server.root, "定期"))
    log = os.path.join(work, "ログ①", "送信.log")
    os.makedirs(os.path.dirname(log))
    run = Run(exe, server, windows_path(local), "定期", "定期.csv",
              arguments=["--retry", "2", "--log", windows_path(log)])
    assert run.status == 0, (run.status, run.stderr)
    assert os.listdir(os.path.join(server.root, "定期")) == ["定期.csv"], os.listdir(server.root)
    assert " via=rename verified=size" in run.stdout, run.stdout
    logged = open(log, encoding="utf-8").read()
    assert logged == run.stdout + run.stderr, (logged, run.stdout, run.stderr)
    run = Run(exe, server, windows_path(local), "定期", "定期.csv", arguments=["--check"])
    assert run.status == 0 and "check: passed" in run.stdout, (run.status, run.stdout)


@case
def version_prints_and_other_arguments_are_refused(exe, server, work):
    run = Run(exe, server, "", "", "", settings=False, arguments=["--version"])
    assert run.status == 0 and run.stdout.startswith("Quillpost "), (run.status, run.stdout)
    run = Run(exe, server, "", "", "", settings=False, arguments=["--upload-now"])
    assert run.status == 64 and "--upload-now" in run.stderr, (run.status, run.stderr)


@case
def tls_a_server_refuses_is_never_traded_for_a_login_in_clear(exe, server, work):
    local = os.path.join(work, "t.txt")
    open(local, "wb").write(b"t")
    logged = os.path.getsize(server.log)
    run = Run(exe, server, windows_path(local), "", "t.txt", scheme="ftpes://")
    assert run.status == 3, (run.status, run.stderr)
    assert "12157" in run.stderr and "AUTH TLS" in run.stderr, run.stderr
    assert run.one_record_per_box(), run.stderr
    with open(server.log, "rb") as log:
        log.seek(logged)
        sent = log.read()
    assert b"USER" not in sent and b"PASS" not in sent, sent


@case
def the_window_path_fills_the_list_that_a_double_click_on_its_parent_line_takes_up(
        exe, server, work):
    # A display, and standard error not redirected: the start-up runs in its window. The probe
    # answers the boxes; during the completion box it double-clicks the list's first line.
    if not os.environ.get("DISPLAY"):
        raise AssertionError("no DISPLAY: the window path needs one (run under xvfb-run)")
    local = os.path.join(work, "窓口.txt")
    open(local, "wb").write(b"window\r\n")
    os.makedirs(os.path.join(server.root, "窓"))
    report = os.path.join(work, "probe.txt")
    with open(os.path.join(work, "probe-out.txt"), "wb") as out:
        probe = subprocess.Popen(["wine", PROBE, windows_path(report)], stdin=subprocess.DEVNULL,
                                 stdout=out, stderr=subprocess.STDOUT)
        run = Run(exe, server, windows_path(local), "窓", "窓口.txt", window=True)
        probe.wait(timeout=90)
    seen = open(report, encoding="utf-8").read().splitlines()
    assert run.status == 0 and run.stderr == "", (run.status, run.stderr, seen)
    assert RECORD.match(run.stdout) and " bytes=8 " in run.stdout, run.stdout
    assert os.path.exists(os.path.join(server.root, "窓", "窓口.txt")), os.listdir(server.root)
    # One box, the completion message; the window never on the screen; the folder's list (its
    # parent line and the file) in the list box while the box is open.
    boxes = [line for line in seen if line.startswith("box ")]
    assert len(boxes) == 1 and "に送信されました" in boxes[0], seen
    assert "window visible 0" in seen and "count 2" in seen, seen
    # The double-click went up to the login folder, whose list the start-up left at its end:
    # the root's parent line, then the entries, the folder "窓" among them; none selected.
    lines = open(run.list_file, encoding="utf-8").read().split("\n")[:-1]
    assert lines[0] == "  . " and all(line.startswith("  ") for line in lines), lines
    assert any(re.fullmatch(r"  D 窓\t \t\d{4}/\d\d/\d\d \d\d:\d\d", line) for line in lines), lines
    assert "after double-click %d" % len(lines) in seen, (seen, lines)


def main():
    global PROBE
    exe = os.path.abspath(sys.argv[1])
    PROBE = os.path.abspath(sys.argv[2])
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
