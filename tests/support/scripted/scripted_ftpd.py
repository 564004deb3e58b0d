#!/usr/bin/python3
"""A deliberately misbehaving FTP server for fault tests.

    scripted_ftpd.py SCENARIO [--store FOLDER] [--command-log FILE] [--cert PEM]
                     [--data-cert PEM] [--tls12-ciphers LIST] [--scenarios DIR]
                     [--idle-seconds N]

Plays the small well-behaved server of scenarios/normal.scenario over one in-memory folder
that starts with "hello.txt", except for the commands scenarios/SCENARIO.scenario (or
DIR/SCENARIO.scenario) answers otherwise. Listens on 127.0.0.1, on a port the system picks,
and prints that port as the first line of standard output. Logs every command line it
receives, one per line (backslash, CR and LF escaped, a nonempty PASS argument as "****"), to
standard error or FILE. Keeps the files it stores also in FOLDER. Serves each client on a
thread of its own until terminated; a connection that stays silent for N seconds (default 10)
is closed. It never connects anywhere itself, whatever a reply of a scenario names. With
--data-cert, data connections in TLS show that certificate instead of --cert's (a stranger on
the data port); with --tls12-ciphers, TLS is limited to 1.2 and those cipher suites.

A scenario file: lines beginning with "#" are comments. "KEYS: STEP" begins an entry for the
commands named by KEYS (verbs; "greeting" for the start of a connection; "*" for every verb
the scenario names nowhere else); each indented line after it adds one STEP. The steps:
  reply TEXT       TEXT and CR LF on the control connection
  send TEXT        TEXT as it is on the control connection
  close            closes the control connection, ending the session
  stall            reads (and logs) the control connection until the client closes it
  every MS control|data TEXT
                   sends TEXT every MS milliseconds until the client closes the connection
  listen           opens a passive listener on 127.0.0.1; {port}, {p1}, {p2} name its port
  accept           takes the data connection (else "425" and the command ends)
  data TEXT        sends TEXT on the data connection (when the client has closed it: "426"
                   and the command ends)
  listing [half]   sends the folder's listing (ls -l lines for LIST, facts for MLSD) or half
  file [half]      sends the named file, or its first half
  receive [BYTES]  reads the upload until the client ends it, or only its first BYTES
  receive-slowly RATE
                   reads the upload until the client ends it, RATE bytes a second (a slow line)
  store            keeps what was received as the named file
  close-data       closes the data connection (in TLS after close_notify both ways) and the
                   listener
  cut-data         closes the data connection at once, in TLS without close_notify
  tls              turns the control connection into TLS as the server, with the certificate
                   and key of PEM
  protect          data connections accepted from now on are in TLS too
  exists           "550" and the command ends unless the named file exists
  delete           removes the named file
  match REGEX TEXT when the command's argument matches REGEX (whole), TEXT as the reply and
                   the command ends
  if-exists TEXT   when the named file exists, TEXT as the reply and the command ends
  fail-first N TEXT
                   the first N times any session reaches this step, TEXT as the reply and the
                   session ends (a server that turns clients away for a while)
  rename-from      remembers the named file for a rename
  rename-to        renames the remembered file to the named one, replacing it ("503" and the
                   command ends when nothing is remembered)
  default          the steps of normal.scenario for this command
TEXT is string literals in Python syntax joined by "+", a literal may be repeated by "* N"
({n} inside it counts 0 .. N-1); a line ending in "+" goes on in the next. When sent, {arg}
is the argument of the command and {size} the size of the file it names.
"""
import argparse
import ast
import os
import re
import select
import socket
import socketserver
import ssl
import sys
import threading
import time

SCENARIOS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "scenarios")
DATA_ACCEPT_SECONDS = 5
IDLE_SECONDS = 10
SEND_PIECE = 1 << 20
FIELD = re.compile(r"\{(arg|size|port|p1|p2)\}")

FILES = {"hello.txt": b"hello\r\nworld\r\n"}  # the folder: name -> content
FILES_LOCK = threading.Lock()


class CommandEnds(Exception):
    """The remaining steps of the command are skipped."""


class SessionEnds(Exception):
    """The connection is closed."""


def evaluate(node):
    if isinstance(node, ast.Constant) and isinstance(node.value, str):
        return node.value
    if isinstance(node, ast.BinOp) and isinstance(node.op, ast.Add):
        return evaluate(node.left) + evaluate(node.right)
    if (isinstance(node, ast.BinOp) and isinstance(node.op, ast.Mult)
            and isinstance(node.right, ast.Constant) and type(node.right.value) is int):
        piece = evaluate(node.left)
        if "{n}" not in piece:
            return piece * node.right.value
        return "".join(piece.replace("{n}", str(i)) for i in range(node.right.value))
    raise ValueError("not a text: " + ast.unparse(node))


def text(source):
    return evaluate(ast.parse(source.strip(), mode="eval").body)


def parse_step(line):
    op, _, rest = line.strip().partition(" ")
    if op in ("reply", "send", "data", "if-exists"):
        return op, text(rest)
    if op == "match":
        pattern, source = rest.split(None, 1)
        return op, re.compile(text(pattern)), text(source)
    if op == "fail-first":
        count, source = rest.split(None, 1)
        return op, [int(count)], text(source)
    if op == "every":
        milliseconds, channel, source = rest.split(None, 2)
        if channel not in ("control", "data"):
            raise ValueError("every: no channel " + channel)
        return op, int(milliseconds) / 1000, channel, text(source)
    if op == "receive":
        return op, int(rest) if rest else None
    if op == "receive-slowly":
        return op, int(rest)
    if op in ("listing", "file") and rest in ("", "half"):
        return op, rest == "half"
    if op in ("close", "stall", "listen", "accept", "store", "close-data", "cut-data", "exists",
              "delete", "default", "tls", "protect", "rename-from", "rename-to") and not rest:
        return (op,)
    raise ValueError("not a step: " + line.strip())


def load(name, folder=SCENARIOS):
    """The entries of a scenario file: key -> list of steps."""
    entries, steps, pending = {}, None, ""
    with open(os.path.join(folder, name + ".scenario"), encoding="utf-8") as lines:
        for line in lines:
            if line.startswith("#"):
                continue
            line = pending + line.rstrip()
            pending = line + " " if line.endswith("+") else ""
            if pending or not line.strip():
                continue
            if not line[0].isspace():
                keys, colon, line = line.partition(":")
                if not colon:
                    raise ValueError("no ':' after the keys: " + keys)
                steps = []
                entries.update((key, steps) for key in keys.split())
            if line.strip():
                steps.append(parse_step(line))
    return entries


def script(entries, key):
    if key in entries:
        return entries[key]
    return entries.get("*") if key != "greeting" else None


def plain_name(name):
    return name not in ("", ".", "..") and "/" not in name and "\0" not in name


class Log:
    def __init__(self, stream):
        self.stream, self.lock = stream, threading.Lock()

    def command(self, line):
        if line[:5].upper() == "PASS " and len(line) > 5:
            line = "PASS ****"
        line = line.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")
        with self.lock:
            self.stream.write(line.encode("latin-1") + b"\n")
            self.stream.flush()


class Session(socketserver.BaseRequestHandler):
    """One client: each command runs the steps of its entry."""

    def handle(self):
        self.control, self.pending = self.request, b""
        self.control.settimeout(self.server.idle_seconds)
        self.listener = self.data = None
        self.protected = False
        self.received = bytearray()
        self.renaming = None
        self.key, self.arg = "greeting", ""
        try:
            self.run(script(self.server.scenario, "greeting"))
            while True:
                verb, _, self.arg = self.next_line().partition(" ")
                self.key = verb.upper()
                self.run(script(self.server.scenario, self.key))
        except (SessionEnds, OSError):
            pass
        finally:
            self.do_close_data()

    def run(self, steps):
        if steps is None:
            steps = script(self.server.normal, self.key)
        try:
            for op, *arguments in steps:
                getattr(self, "do_" + op.replace("-", "_"))(*arguments)
        except CommandEnds:
            pass

    def receive_control(self):
        chunk = self.control.recv(4096)
        if not chunk:
            raise SessionEnds()
        self.pending += chunk

    def next_line(self):
        while b"\r\n" not in self.pending:
            self.receive_control()
        line, self.pending = self.pending.split(b"\r\n", 1)
        line = line.decode("latin-1")
        self.server.log.command(line)
        return line

    def fill(self, template):
        return FIELD.sub(lambda m: str(self.field(m.group(1))), template).encode("latin-1")

    def field(self, name):
        if name == "arg":
            return self.arg
        if name == "size":
            with FILES_LOCK:
                return len(FILES.get(self.arg, b""))
        port = self.listener.getsockname()[1] if self.listener else 0
        return {"port": port, "p1": port >> 8, "p2": port & 0xFF}[name]

    def stored_path(self):
        folder = self.server.store
        if folder is None or not plain_name(self.arg):
            return None
        return os.path.join(os.fsencode(folder), self.arg.encode("latin-1"))

    def send_data(self, payload):
        try:
            # In pieces: the idle timeout then bounds each pause of a slow reader, not the
            # whole of a long payload.
            for start in range(0, len(payload), SEND_PIECE):
                self.data.sendall(payload[start:start + SEND_PIECE])
        except OSError:
            self.do_close_data()
            self.do_reply("426 Connection closed; transfer aborted.")
            raise CommandEnds()

    def do_reply(self, template):
        self.control.sendall(self.fill(template) + b"\r\n")

    def do_send(self, template):
        self.control.sendall(self.fill(template))

    def do_close(self):
        raise SessionEnds()

    def do_stall(self):
        self.control.settimeout(None)
        while True:
            self.next_line()

    def do_every(self, seconds, channel, template):
        target = self.control if channel == "control" else self.data
        while True:
            if select.select([self.control], [], [], seconds)[0]:
                self.receive_control()
                while b"\r\n" in self.pending:
                    self.next_line()
            else:
                target.sendall(self.fill(template))

    def do_listen(self):
        self.do_close_data()
        self.listener = socket.create_server(("127.0.0.1", 0))

    def do_accept(self):
        ready = self.listener and select.select([self.listener], [], [], DATA_ACCEPT_SECONDS)[0]
        if not ready:
            self.do_reply("425 No data connection.")
            raise CommandEnds()
        self.data = self.listener.accept()[0]
        self.data.settimeout(self.server.idle_seconds)
        if self.protected:
            try:
                self.data = self.server.data_tls.wrap_socket(self.data, server_side=True)
            except (ssl.SSLError, OSError):
                # As a server does: the transfer fails, the session goes on.
                self.do_cut_data()
                self.do_reply("425 TLS negotiation failed on the data connection.")
                raise CommandEnds()
        self.listener.close()
        self.listener = None

    def do_data(self, template):
        self.send_data(self.fill(template))

    def do_listing(self, half):
        line = ("type=file;size=%d;modify=20200101000000; %s\r\n" if self.key == "MLSD" else
                "-rw-r--r-- 1 user group %d Jan  1  2020 %s\r\n")
        with FILES_LOCK:
            listing = "".join(line % (len(c), name) for name, c in sorted(FILES.items()))
        payload = listing.encode("latin-1")
        self.send_data(payload[:len(payload) // 2] if half else payload)

    def do_file(self, half):
        with FILES_LOCK:
            content = FILES.get(self.arg, b"")
        self.send_data(content[:len(content) // 2] if half else content)

    def do_receive(self, limit):
        self.received = bytearray()
        while limit is None or len(self.received) < limit:
            chunk = self.data.recv(65536 if limit is None else limit - len(self.received))
            if not chunk:
                break
            self.received += chunk

    def do_receive_slowly(self, rate):
        self.received = bytearray()
        piece = max(1, rate // 20)
        while True:
            chunk = self.data.recv(piece)
            if not chunk:
                break
            self.received += chunk
            time.sleep(len(chunk) / rate)

    def do_store(self):
        with FILES_LOCK:
            FILES[self.arg] = bytes(self.received)
        path = self.stored_path()
        if path is not None:
            with open(path, "wb") as stored:
                stored.write(self.received)

    def do_tls(self):
        self.control = self.server.tls.wrap_socket(self.control, server_side=True)

    def do_protect(self):
        self.protected = True

    def do_close_data(self):
        if isinstance(self.data, ssl.SSLSocket):
            try:
                self.data = self.data.unwrap()
            except OSError:
                pass
        self.do_cut_data()

    def do_cut_data(self):
        for sock in (self.data, self.listener):
            if sock is not None:
                sock.close()
        self.data = self.listener = None

    def do_exists(self):
        with FILES_LOCK:
            found = self.arg in FILES
        if not found:
            self.do_reply("550 No such file.")
            raise CommandEnds()

    def do_delete(self):
        with FILES_LOCK:
            FILES.pop(self.arg, None)
        path = self.stored_path()
        if path is not None and os.path.exists(path):
            os.remove(path)

    def do_match(self, pattern, template):
        if pattern.fullmatch(self.arg):
            self.do_reply(template)
            raise CommandEnds()

    def do_if_exists(self, template):
        with FILES_LOCK:
            found = self.arg in FILES
        if found:
            self.do_reply(template)
            raise CommandEnds()

    def do_fail_first(self, remaining, template):
        # `remaining` is the step's own counter, shared by every session.
        with FILES_LOCK:
            failing = remaining[0] > 0
            remaining[0] -= 1 if failing else 0
        if failing:
            self.do_reply(template)
            raise SessionEnds()

    def do_rename_from(self):
        self.renaming = self.arg

    def do_rename_to(self):
        source, self.renaming = self.renaming, None
        if source is None:
            self.do_reply("503 RNFR first.")
            raise CommandEnds()
        with FILES_LOCK:
            FILES[self.arg] = FILES.pop(source, b"")
        folder = self.server.store
        if folder is not None and plain_name(source) and plain_name(self.arg):
            old = os.path.join(os.fsencode(folder), source.encode("latin-1"))
            if os.path.exists(old):
                os.replace(old, os.path.join(os.fsencode(folder), self.arg.encode("latin-1")))

    def do_default(self):
        self.run(script(self.server.normal, self.key))


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True


def tls_context(certificate, tls12_ciphers):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(certificate)
    if tls12_ciphers:
        context.maximum_version = ssl.TLSVersion.TLSv1_2
        context.set_ciphers(tls12_ciphers)
    return context


def scenario_names(folder):
    return sorted(f[:-len(".scenario")] for f in os.listdir(folder) if f.endswith(".scenario"))


def main():
    parser = argparse.ArgumentParser(epilog="scenarios: " + " ".join(scenario_names(SCENARIOS)))
    parser.add_argument("scenario", metavar="SCENARIO")
    parser.add_argument("--store", metavar="FOLDER")
    parser.add_argument("--command-log", metavar="FILE")
    parser.add_argument("--cert", metavar="PEM")
    parser.add_argument("--data-cert", metavar="PEM")
    parser.add_argument("--tls12-ciphers", metavar="LIST")
    parser.add_argument("--scenarios", metavar="DIR", default=SCENARIOS)
    parser.add_argument("--idle-seconds", metavar="N", type=float, default=IDLE_SECONDS)
    args = parser.parse_args()
    if args.scenario not in scenario_names(args.scenarios):
        parser.error("no scenario %s in %s" % (args.scenario, args.scenarios))

    server = Server(("127.0.0.1", 0), Session)
    server.normal, server.scenario = load("normal"), load(args.scenario, args.scenarios)
    server.store, server.idle_seconds = args.store, args.idle_seconds
    if args.cert:
        server.tls = server.data_tls = tls_context(args.cert, args.tls12_ciphers)
    if args.data_cert:
        server.data_tls = tls_context(args.data_cert, args.tls12_ciphers)
    log = open(args.command_log, "ab", buffering=0) if args.command_log else sys.stderr.buffer
    server.log = Log(log)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
