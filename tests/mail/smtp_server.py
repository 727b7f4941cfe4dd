"""The SMTP server of the mail tests: aiosmtpd on 127.0.0.1, on a free port
below 256 (the settings hold the port in one byte), with AUTH PLAIN and LOGIN
over the plain connection for one user. Each message it accepts is saved as
N.eml (the bytes as received) with N.json (the envelope). A second user,
"echo", logs in with the same password and then has every sender refused
by a reply that repeats that password.

Usage: smtp_server.py FOLDER   (writes FOLDER/port and FOLDER/pid once it listens)
"""
import json
import os
import signal
import socket
import sys

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult

USER = b"vorlix"
ECHO = b"echo"
PASSWORD = 'pa"ss\\wo rd\\'.encode()


def free_port():
    for port in range(200, 256):
        with socket.socket() as s:
            try:
                s.bind(("127.0.0.1", port))
                return port
            except OSError:
                continue
    raise SystemExit("no free port below 256")


class Saver:
    def __init__(self, folder):
        self.folder = folder

    async def handle_MAIL(self, server, session, envelope, address, mail_options):
        if session.login_data == ECHO:
            return "550 5.7.1 Sender refused for echo/" + session.auth_data.password.decode()
        envelope.mail_from = address
        envelope.mail_options.extend(mail_options)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        n = len([f for f in os.listdir(self.folder) if f.endswith(".json")]) + 1
        with open(os.path.join(self.folder, f"{n}.eml"), "wb") as f:
            f.write(envelope.original_content)
        with open(os.path.join(self.folder, f"{n}.json"), "w") as f:
            json.dump({"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos,
                       "authenticated": bool(session.authenticated)}, f)
        return "250 OK"


def authenticate(server, session, envelope, mechanism, auth_data):
    ok = auth_data.login in (USER, ECHO) and auth_data.password == PASSWORD
    return AuthResult(success=ok, handled=False, auth_data=auth_data)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    port = free_port()
    controller = Controller(Saver(folder), hostname="127.0.0.1", port=port, authenticator=authenticate,
                            auth_require_tls=False, auth_required=False)
    controller.start()
    with open(os.path.join(folder, "pid"), "w") as f:
        f.write(str(os.getpid()))
    with open(os.path.join(folder, "port"), "w") as f:
        f.write(str(port))
    signal.signal(signal.SIGTERM, lambda *_: (controller.stop(), sys.exit(0)))
    signal.pause()


if __name__ == "__main__":
    main()
