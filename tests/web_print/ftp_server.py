"""The FTP server of the upload tests: Debian's pyftpdlib on 127.0.0.1.

Usage: ftp_server.py STATE_DIR

Serves STATE_DIR/root to the user and password in STATE_DIR/account (two
lines) and to anonymous, both with write access. Listens on the first free
port from 100 to 250 (the program stores FTP ports in one byte) and writes it
to STATE_DIR/port once it listens. Every command line received is appended to
STATE_DIR/commands.log ("<user> <command line>"), every stored file to
STATE_DIR/received.log (its path below the root).

Further users with the same password meet a server of another kind (their
FEAT lists no EPSV, and EPSV is unknown to them), which words its reply to
PASV in its own way:
  pasv-bare     227 Entering Passive Mode h1,h2,h3,h4,p1,p2 (no parentheses)
  pasv-text     227 Data port is =h1,h2,h3,h4,p1,p2 (ready)
  pasv-zero     the address 0,0,0,0
  pasv-inner    the inner address 10,9,8,7 of a server behind a router
  pasv-other    the address 127,0,0,2, where its data port then listens
The user epsv-refused is offered EPSV by FEAT but refused it; the user echo
gets the PASS command repeated in the reply that refuses it.

Beside it runs a stand-in for an FTP proxy on the next free port (written to
STATE_DIR/proxy-port): it answers the login "USER user@host:port" by
connecting to that server as "user" and from then on relays the control
connection both ways (data connections go directly, so only active mode
passes it). Each proxied login is appended to STATE_DIR/proxy.log.
"""
import logging
import os
import re
import socket
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, PassiveDTP
from pyftpdlib.servers import FTPServer

state = sys.argv[1]
root = os.path.join(state, "root")
os.makedirs(root, exist_ok=True)
with open(os.path.join(state, "account"), encoding="utf-8") as f:
    user, password = f.read().split("\n")[:2]


def append(name, line):
    with open(os.path.join(state, name), "a", encoding="utf-8") as f:
        f.write(line + "\n")


PASSIVE_FORMS = {
    "pasv-bare": ("%s", "227 Entering Passive Mode %s"),
    "pasv-text": ("%s", "227 Data port is =%s (ready)"),
    "pasv-zero": ("0,0,0,0", "227 Entering Passive Mode (%s)."),
    "pasv-inner": ("10,9,8,7", "227 Entering Passive Mode (%s)."),
    "pasv-other": ("127,0,0,2", "227 Entering Passive Mode (%s)."),
}
OTHER_ADDRESS = "127.0.0.2"


class FormPassiveDTP(PassiveDTP):
    def bind(self, addr):
        if self.cmd_channel.username == "pasv-other":
            addr = (OTHER_ADDRESS, addr[1])
        super().bind(addr)


class Handler(FTPHandler):
    passive_dtp = FormPassiveDTP

    def pre_process_command(self, line, cmd, arg):
        append("commands.log", "%s %s" % (self.username or "-", line))
        if cmd == "PASS" and self.username == "echo":
            self.respond("500 '%s': command not understood." % line)
            return
        return super().pre_process_command(line, cmd, arg)

    def on_login(self, username):
        if username in PASSIVE_FORMS:
            # A server that knows neither FEAT's EPSV nor the command.
            self.proto_cmds = {k: v for k, v in self.proto_cmds.items() if k != "EPSV"}
            # Its data connections come from this host whatever address is named.
            self.permit_foreign_addresses = True

    def ftp_EPSV(self, line):
        if self.username == "epsv-refused":
            self.respond("522 Extended passive mode is not available here.")
            return
        return super().ftp_EPSV(line)

    def respond(self, resp, logfun=logging.debug):
        form = PASSIVE_FORMS.get(self.username)
        match = re.match(r"227 .*\((\d+,\d+,\d+,\d+),(\d+,\d+)\)", resp)
        if form and match:
            address = match.group(1) if form[0] == "%s" else form[0]
            resp = form[1] % (address + "," + match.group(2))
        return super().respond(resp, logfun)

    def on_file_received(self, file):
        append("received.log", os.path.relpath(file, root))


authorizer = DummyAuthorizer()
authorizer.add_user(user, password, root, perm="elradfmwMT")
for other in list(PASSIVE_FORMS) + ["epsv-refused", "echo"]:
    authorizer.add_user(other, password, root, perm="elradfmwMT")
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


def relay(source, target):
    try:
        while True:
            data = source.recv(4096)
            if not data:
                break
            target.sendall(data)
    except OSError:
        pass
    for s in (source, target):
        try:
            s.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


def proxy_session(client):
    client.sendall(b"220 proxy ready\r\n")
    line = client.makefile("rb").readline().decode("utf-8").strip()
    append("proxy.log", line)
    if not line.startswith("USER ") or "@" not in line:
        client.sendall(b"530 USER user@host expected\r\n")
        client.close()
        return
    who, target = line[5:].rsplit("@", 1)
    host, _, target_port = target.partition(":")
    upstream = socket.create_connection((host, int(target_port or 21)))
    upstream.recv(4096)  # the server's greeting
    upstream.sendall(("USER %s\r\n" % who).encode("utf-8"))
    threading.Thread(target=relay, args=(upstream, client), daemon=True).start()
    relay(client, upstream)


def serve_proxy(listener):
    while True:
        client, _ = listener.accept()
        threading.Thread(target=proxy_session, args=(client,), daemon=True).start()


proxy = None
for proxy_port in range(port + 1, 251):
    try:
        proxy = socket.create_server(("127.0.0.1", proxy_port))
        break
    except OSError:
        continue
if proxy is None:
    sys.exit("no free port below 256 for the proxy")
threading.Thread(target=serve_proxy, args=(proxy,), daemon=True).start()

with open(os.path.join(state, "proxy-port"), "w") as f:
    f.write(str(proxy_port))
with open(os.path.join(state, "port.tmp"), "w") as f:
    f.write(str(port))
os.replace(os.path.join(state, "port.tmp"), os.path.join(state, "port"))
server.serve_forever()
