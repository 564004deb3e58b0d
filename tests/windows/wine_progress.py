#!/usr/bin/python3
"""Quillpost.exe's progress window under wine, against the scripted server on loopback.

Quillpost.exe runs with a display and standard error not redirected, so that the start-up runs
in its window, and quillpost_progress_probe.exe watches it. A long upload (the scenario
stor-slow reads 2 MiB a second) shows the progress window once it has run a second; the probe
presses its "キャンセル": the upload stops, the run ends with status 4 and the box of 12017,
and the name asked for is never stored. A short upload shows no window at all.

The caller starts wineserver -p and sets WINEPREFIX and DISPLAY.

Usage: wine_progress.py QUILLPOST_EXE PROGRESS_PROBE_EXE
"""
import os
import subprocess
import sys
import tempfile
import time

from wine_e2e import RECORD, Run, windows_path

SCRIPTED = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support", "scripted",
                        "scripted_ftpd.py")
RATE = 2 << 20  # stor-slow's bytes a second


class Scripted:
    """scripted_ftpd.py with `scenario`, keeping what it stores in `root` and logging the
    commands it gets into `log`."""
    user, password = "tester", "secret"

    def __init__(self, scenario, root, log):
        self.root, self.log = root, log
        self.process = subprocess.Popen(
            ["/usr/bin/python3", SCRIPTED, scenario, "--store", root, "--command-log", log],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.port = int(self.process.stdout.readline())

    def commands(self):
        with open(self.log, encoding="latin-1") as log:
            return log.read().splitlines()

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)


def watched_run(exe, probe, server, local, remote_name, work, *probe_arguments):
    """Quillpost.exe in its window, with the probe watching it; the probe's report, the run and
    the run's log (--log)."""
    report = os.path.join(work, "probe.txt")
    log = os.path.join(work, "run.log")
    with open(os.path.join(work, "probe-out.txt"), "wb") as out:
        watcher = subprocess.Popen(["wine", probe, windows_path(report), *probe_arguments],
                                   stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)
        run = Run(exe, server, windows_path(local), "", remote_name, window=True,
                  arguments=["--log", windows_path(log)])
        watcher.wait(timeout=120)
    seen = open(report, encoding="utf-8").read().splitlines()
    records = open(log, encoding="utf-8").read() if os.path.exists(log) else ""
    return seen, run, records


def a_slow_upload_shows_the_window_whose_cancel_stops_it_with_status_4(exe, probe, work):
    size = 24 << 20  # 12 s at the server's pace
    local = os.path.join(work, "大きな報告.bin")
    with open(local, "wb") as f:
        f.write(os.urandom(size))
    root = os.path.join(work, "served-slow")
    os.makedirs(root)
    server = Scripted("stor-slow", root, os.path.join(work, "slow-commands.log"))
    try:
        started = time.monotonic()
        seen, run, records = watched_run(exe, probe, server, local, "big.bin", work, "cancel")
        took = time.monotonic() - started
        commands = server.commands()
    finally:
        server.stop()
    # The window with the system's progress bar, at least its 4800 x 2100 twips (320 x 140
    # pixels at 96 dpi; more where its captions need it), the local file's own name first.
    shown = [line for line in seen if line.startswith("progress ")]
    assert len(shown) == 1, seen
    width, height = (int(n) for n in shown[0].split()[1:3])
    assert width >= 320 and height >= 140, seen
    assert "file 大きな報告.bin" in seen, seen
    sent = [line for line in seen if line.startswith("sent ")]
    assert sent and sent[0].endswith(" / 24.0 MB"), seen
    assert "pressed" in seen, seen
    # Cancel stops the upload long before the server would have read it all; one box, the
    # cancellation's, and its record in the log.
    assert run.status == 4, (run.status, seen, records)
    assert took < size / RATE, (took, seen)
    boxes = [line for line in seen if line.startswith("box ")]
    assert len(boxes) == 1 and "12017" in boxes[0], seen
    assert "転送は取り消されました" in boxes[0], seen
    cancelled = [line for line in records.splitlines() if "12017" in line]
    assert len(cancelled) == 1 and RECORD.match(cancelled[0]), records
    # The name asked for was never stored, nor renamed into.
    assert "big.bin" not in os.listdir(root), os.listdir(root)
    assert not any(c.upper().startswith(("STOR", "RNTO")) and c.endswith(" big.bin")
                   for c in commands), commands


def a_short_upload_shows_no_progress_window(exe, probe, work):
    size = 256 << 10  # an eighth of a second at the server's pace
    local = os.path.join(work, "小さな報告.bin")
    data = os.urandom(size)
    with open(local, "wb") as f:
        f.write(data)
    root = os.path.join(work, "served-short")
    os.makedirs(root)
    server = Scripted("stor-slow", root, os.path.join(work, "short-commands.log"))
    try:
        seen, run, records = watched_run(exe, probe, server, local, "small.bin", work)
    finally:
        server.stop()
    assert run.status == 0, (run.status, seen, records)
    assert not any(line.startswith("progress ") for line in seen), seen
    boxes = [line for line in seen if line.startswith("box ")]
    assert len(boxes) == 1 and "に送信されました" in boxes[0], seen
    assert open(os.path.join(root, "small.bin"), "rb").read() == data, os.listdir(root)


CASES = [a_slow_upload_shows_the_window_whose_cancel_stops_it_with_status_4,
         a_short_upload_shows_no_progress_window]


def main():
    exe, probe = (os.path.abspath(a) for a in sys.argv[1:3])
    if not os.environ.get("DISPLAY"):
        print("FAIL: no DISPLAY: the progress window needs one (run under xvfb-run)")
        return 1
    passed = failed = 0
    for test in CASES:
        started = time.monotonic()
        with tempfile.TemporaryDirectory(prefix="qp-wine-progress-") as work:
            try:
                test(exe, probe, work)
                passed += 1
                print("ok   %s (%.1f s)" % (test.__name__, time.monotonic() - started))
            except Exception as error:  # a failed check or a broken run alike
                failed += 1
                print("FAIL %s: %r" % (test.__name__, error))
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
