"""The FTP server of the upload tests: Debian's pyftpdlib on 127.0.0.1.

Usage: ftp_server.py STATE_DIR

Serves STATE_DIR/root to the user and password in STATE_DIR/account (two
lines) and to anonymous, both with write access. Listens on the first free
port from 100 to 250 (the program stores FTP ports in one byte) and writes it
to STATE_DIR/port once it listens. Every command line received is appended to
STATE_DIR/commands.log ("<user> <command line>"), every stored file to
STATE_DIR/received.log (its path below the root).
"""
import logging
import os
import socket
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

state = sys.argv[1]
root = os.path.join(state, "root")
os.makedirs(root, exist_ok=True)
with open(os.path.join(state, "account"), encoding="utf-8") as f:
    user, password = f.read().split("\n")[:2]


def append(name, line):
    with open(os.path.join(state, name), "a", encoding="utf-8") as f:
        f.write(line + "\n")


class Handler(FTPHandler):
    def pre_process_command(self, line, cmd, arg):
        append("commands.log", "%s %s" % (self.username or "-", line))
        return super().pre_process_command(line, cmd, arg)

    def on_file_received(self, file):
        append("received.log", os.path.relpath(file, root))


authorizer = DummyAuthorizer()
authorizer.add_user(user, password, root, perm="elradfmwMT")
authorizer.add_anonymous(root, perm="elradfmwMT")
Handler.authorizer = authorizer
Handler.passive_ports = None
logging.basicConfig(level=logging.WARNING)

server = None
for port in range(100, 251):
    try:
        server = FTPServer(("127.0.0.1", port), Handler)
        break
    except OSError:
        continue
if server is None:
    sys.exit("no free port below 256")
with open(os.path.join(state, "port.tmp"), "w") as f:
    f.write(str(port))
os.replace(os.path.join(state, "port.tmp"), os.path.join(state, "port"))
server.serve_forever()
