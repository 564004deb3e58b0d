#!/usr/bin/python3
"""FTP server for the test suite: serves one folder on a loopback port chosen by the OS.

Prints the port on standard output once it listens, then serves until it is terminated.
Every command line it receives is appended to the command log (PASS argument masked).
"""
import argparse
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer



def escape(line):
    # One record per log line: a stray CR or LF inside a command must not split it.
    return line.replace(b"\\", b"\\\\").replace(b"\r", b"\\r").replace(b"\n", b"\\n")


class Recording:
    command_log = None

    def found_terminator(self):
        # Record the raw line before pyftpdlib decodes or rejects it.
        line = b"".join(self._in_buffer)
        if line[:5].upper() == b"PASS ":
            line = line[:5] + b"****"
        self.command_log.write(escape(line) + b"\n")
        self.command_log.flush()
        super().found_terminator()


class RecordingHandler(Recording, FTPHandler):
    pass


def tls_handler():
    """The handler of a TLS server. pyftpdlib defines its TLS handler only when python3-openssl
    is present, so it is imported only by a server that serves TLS: the plain demo server runs
    without it."""
    from pyftpdlib.handlers import TLS_FTPHandler

    class RecordingTlsHandler(Recording, TLS_FTPHandler):
        # TLS is required on the control connection and on every data connection.
        tls_control_required = True
        tls_data_required = True

    return RecordingTlsHandler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", required=True)
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--command-log", required=True)
    parser.add_argument("--tls", metavar="PEM", help="certificate and key: explicit TLS")
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")

    handler = tls_handler() if args.tls else RecordingHandler
    if args.tls:
        handler.certfile = args.tls
    handler.authorizer = authorizer
    # Answer a failed login at once (the default waits 3 s) so that tests stay fast.
    handler.auth_failed_timeout = 0
    handler.command_log = open(args.command_log, "ab", buffering=0)
    server = FTPServer((args.host, 0), handler)
    print(server.socket.getsockname()[1], flush=True)
    # Nobody reads standard output after the port line.
    devnull = os.open(os.devnull, os.O_WRONLY)
    os.dup2(devnull, sys.stdout.fileno())
    server.serve_forever()


if __name__ == "__main__":
    main()
