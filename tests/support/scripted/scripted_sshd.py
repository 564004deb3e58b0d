#!/usr/bin/python3
"""A deliberately misbehaving SSH server (paramiko) for the SFTP fault tests.

    scripted_sshd.py SCENARIO --root FOLDER --known-hosts FILE [--command-log FILE]
                     [--entries N]

Listens on 127.0.0.1, on a port the system picks, prints that port as the first line of
standard output, and writes its host key (ECDSA P-256, new each start) to FILE as a known_hosts
line. User "tester", password "secret". Serves SFTP over FOLDER (its "/"), one thread per
connection, until terminated. Logs one line per event to the command log: "AUTH method",
"OPEN path", "WRITE n" (bytes), "CLOSE", "LIST path", "STAT path", "REMOVE path",
"RENAME a b", "MKDIR path", "RMDIR path". It never connects anywhere itself.

SCENARIO is one of:
  normal             password log-in, SFTP as it should be
  keyboard-only      keyboard-interactive alone ("Password: " answered with the password)
  silent             accepts the connection and never says anything
  stall-after-banner sends its version line, then nothing
  garbage-banner     sends a line that is no SSH version and bytes that are no packet
  disconnect-auth    on the password, disconnects with the words "closed for maintenance"
  stall-write        stops answering once 1 MiB of an upload has arrived
  close-mid-upload   closes the connection once 1 MiB of an upload has arrived
  acknowledge-only   answers every write with OK and stores nothing
  huge-listing       "/" lists N synthetic entries (--entries, default 20000) besides its files
  hostile-names      "/" lists names with "/", ".", "..", CR, LF, NUL, a character CP932 lacks,
                     a 300-byte name, and "good.txt"
"""
import argparse
import os
import socket
import sys
import threading
import time

import paramiko
from paramiko import SFTPAttributes, SFTPHandle, SFTPServer, SFTPServerInterface
from paramiko.sftp import SFTP_FAILURE, SFTP_OK, SFTP_NO_SUCH_FILE

USER = "tester"
PASSWORD = "secret"
TRIGGER = 1 << 20

log_lock = threading.Lock()
log_file = None


def log(line):
    with log_lock:
        log_file.write(line.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n") + "\n")
        log_file.flush()


class Server(paramiko.ServerInterface):
    def __init__(self, scenario, transport_holder):
        self.scenario = scenario
        self.holder = transport_holder

    def get_allowed_auths(self, username):
        return "keyboard-interactive" if self.scenario == "keyboard-only" else "password"

    def check_auth_password(self, username, password):
        log("AUTH password")
        if self.scenario == "disconnect-auth":
            # The SSH_MSG_DISCONNECT a server sends with its reason.
            msg = paramiko.Message()
            msg.add_byte(bytes([1]))  # MSG_DISCONNECT
            msg.add_int(2)  # SSH_DISCONNECT_PROTOCOL_ERROR
            msg.add_string("closed for maintenance")
            msg.add_string("")
            self.holder[0]._send_message(msg)
            time.sleep(0.2)
            self.holder[0].close()
            return paramiko.AUTH_FAILED
        if self.scenario == "keyboard-only":
            return paramiko.AUTH_FAILED
        ok = username == USER and password == PASSWORD
        return paramiko.AUTH_SUCCESSFUL if ok else paramiko.AUTH_FAILED

    def check_auth_interactive(self, username, submethods):
        log("AUTH keyboard-interactive")
        if self.scenario != "keyboard-only":
            return paramiko.AUTH_FAILED
        query = paramiko.InteractiveQuery("", "Log in, please.")
        query.add_prompt("Password: ", False)
        return query

    def check_auth_interactive_response(self, responses):
        ok = list(responses) == [PASSWORD]
        return paramiko.AUTH_SUCCESSFUL if ok else paramiko.AUTH_FAILED

    def check_channel_request(self, kind, chanid):
        if kind == "session":
            return paramiko.OPEN_SUCCEEDED
        return paramiko.OPEN_FAILED_ADMINISTRATIVELY_PROHIBITED


class Handle(SFTPHandle):
    def __init__(self, sftp, path, flags, scenario, holder):
        super().__init__(flags)
        self.scenario = scenario
        self.holder = holder
        self.received = 0
        mode = "r+b" if flags & os.O_RDWR else ("wb" if flags & os.O_WRONLY else "rb")
        if flags & os.O_WRONLY and not flags & os.O_TRUNC:
            mode = "ab"
        self.file = open(path, mode)
        self.readfile = self.file if "r" in mode else None
        self.writefile = self.file if "r" not in mode or "+" in mode else None

    def write(self, offset, data):
        log("WRITE %d" % len(data))
        self.received += len(data)
        if self.received > TRIGGER:
            if self.scenario == "stall-write":
                time.sleep(3600)
            if self.scenario == "close-mid-upload":
                self.holder[0].close()
                return SFTP_FAILURE
        if self.scenario == "acknowledge-only":
            return SFTP_OK
        return super().write(offset, data)

    def close(self):
        log("CLOSE")
        super().close()


def hostile_names():
    return ["good.txt", "a/b", ".", "..", "cr\rname", "lf\nname", "nul\x00name",
            "emoji\U0001F600.txt", "x" * 300]


class Sftp(SFTPServerInterface):
    def __init__(self, server, scenario, root, entries, holder, *args, **kwargs):
        super().__init__(server, *args, **kwargs)
        self.scenario = scenario
        self.root = root
        self.entries = entries
        self.holder = holder

    def local(self, path):
        path = os.path.normpath("/" + path).lstrip("/")
        return os.path.join(self.root, path)

    def canonicalize(self, path):
        return os.path.normpath("/" + path) if not path.startswith("/") else os.path.normpath(path)

    def attributes(self, local, name):
        attr = SFTPAttributes.from_stat(os.stat(local))
        attr.filename = name
        return attr

    def list_folder(self, path):
        log("LIST " + path)
        local = self.local(path)
        if not os.path.isdir(local):
            return SFTP_NO_SUCH_FILE
        names = [self.attributes(os.path.join(local, n), n) for n in sorted(os.listdir(local))]
        if self.canonicalize(path) == "/":
            extra = []
            if self.scenario == "huge-listing":
                extra = ["entry-%07d.dat" % i for i in range(self.entries)]
            if self.scenario == "hostile-names":
                extra = hostile_names()
            for name in extra:
                attr = SFTPAttributes()
                attr.filename = name
                attr.st_size = 7
                attr.st_mode = 0o100644
                attr.st_mtime = 1700000000
                attr.st_atime = 1700000000
                names.append(attr)
        return names

    def stat(self, path):
        log("STAT " + path)
        local = self.local(path)
        if not os.path.exists(local):
            return SFTP_NO_SUCH_FILE
        return self.attributes(local, os.path.basename(path))

    lstat = stat

    def open(self, path, flags, attr):
        log("OPEN " + path)
        try:
            handle = Handle(self, self.local(path), flags, self.scenario, self.holder)
        except OSError:
            return SFTP_NO_SUCH_FILE
        handle.filename = self.local(path)
        return handle

    def remove(self, path):
        log("REMOVE " + path)
        try:
            os.remove(self.local(path))
        except OSError:
            return SFTP_NO_SUCH_FILE
        return SFTP_OK

    def rename(self, old, new):
        log("RENAME %s %s" % (old, new))
        if os.path.exists(self.local(new)):
            return SFTP_FAILURE
        try:
            os.rename(self.local(old), self.local(new))
        except OSError:
            return SFTP_NO_SUCH_FILE
        return SFTP_OK

    def mkdir(self, path, attr):
        log("MKDIR " + path)
        try:
            os.mkdir(self.local(path))
        except OSError:
            return SFTP_FAILURE
        return SFTP_OK

    def rmdir(self, path):
        log("RMDIR " + path)
        try:
            os.rmdir(self.local(path))
        except OSError:
            return SFTP_FAILURE
        return SFTP_OK


def serve(conn, args, host_key):
    conn.settimeout(None)
    if args.scenario == "silent":
        time.sleep(3600)
        return
    if args.scenario == "stall-after-banner":
        conn.sendall(b"SSH-2.0-scripted\r\n")
        time.sleep(3600)
        return
    if args.scenario == "garbage-banner":
        conn.sendall(b"HTTP/1.1 400 Bad Request\r\n" + bytes(range(256)) * 16)
        time.sleep(3600)
        return
    holder = [None]
    transport = paramiko.Transport(conn)
    holder[0] = transport
    transport.add_server_key(host_key)
    transport.set_subsystem_handler(
        "sftp", SFTPServer, Sftp, args.scenario, args.root, args.entries, holder)
    try:
        transport.start_server(server=Server(args.scenario, holder))
    except Exception:
        return
    while transport.is_active():
        time.sleep(0.2)


def main():
    global log_file
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario")
    parser.add_argument("--root", required=True)
    parser.add_argument("--known-hosts", required=True)
    parser.add_argument("--command-log")
    parser.add_argument("--entries", type=int, default=20000)
    args = parser.parse_args()
    log_file = open(args.command_log, "a") if args.command_log else sys.stderr
    host_key = paramiko.ECDSAKey.generate()
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    port = listener.getsockname()[1]
    with open(args.known_hosts, "w") as known:
        known.write("[127.0.0.1]:%d %s %s\n" % (port, host_key.get_name(), host_key.get_base64()))
    print(port, flush=True)
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=serve, args=(conn, args, host_key), daemon=True).start()


if __name__ == "__main__":
    main()
