"""Runs a mail test program under Wine, then reads every message it kept with
Python's email parser: the headers it should carry and the image, decoded,
byte for byte equal to the file the program sent.

Usage: check_mail.py WINE-RUN TEST.EXE OUTPUT-FOLDER [gtest arguments]
"""
import email
import email.policy
import email.utils
import os
import shutil
import subprocess
import sys


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def check_case(folder):
    errors = []
    expect = {}
    with open(os.path.join(folder, "expect.txt"), encoding="latin-1") as f:
        for line in f.read().splitlines():
            key, _, value = line.partition("=")
            expect[key] = value
    with open(os.path.join(folder, "message.eml"), "rb") as f:
        message = email.message_from_binary_file(f, policy=email.policy.compat32)
    if message.defects:
        errors.append(f"defects: {message.defects}")
    wanted_to = [a for _, a in email.utils.getaddresses([expect["to"]]) if a]
    got_to = [a for _, a in email.utils.getaddresses(message.get_all("To", [])) if a]
    if got_to != wanted_to:
        errors.append(f"To: {got_to!r}, expected {wanted_to!r}")
    if (message["Subject"] or "").strip() != expect["subject"]:
        errors.append(f"Subject: {message['Subject']!r}, expected {expect['subject']!r}")
    image_path = os.path.join(folder, "image")
    images = [p for p in message.walk() if p.get_content_maintype() == "image"]
    if os.path.exists(image_path):
        with open(image_path, "rb") as f:
            wanted = f.read()
        if len(images) != 1:
            errors.append(f"{len(images)} image parts")
        elif images[0].get_payload(decode=True) != wanted:
            errors.append("the image part differs from the image file")
        else:
            cid = images[0]["Content-ID"]
            if cid:  # an embedded image: the HTML part refers to it
                html = [p for p in message.walk() if p.get_content_type() == "text/html"]
                text = html[0].get_payload(decode=True).decode("latin-1") if html else ""
                if "cid:" + cid.strip("<>") not in text:
                    errors.append("the HTML part does not refer to the image")
            elif not images[0].get_filename():
                errors.append("the attachment has no name")
    elif images:
        errors.append("an image part where none was expected")
    return errors


def main():
    wine_run, test_exe, out = sys.argv[1:4]
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    env = dict(os.environ, VORLIX_MAIL_OUT=windows_path(out))
    status = subprocess.call([wine_run, test_exe, "--gtest_color=no"] + sys.argv[4:], env=env)
    failed = 0
    cases = sorted(os.listdir(out))
    for case in cases:
        errors = check_case(os.path.join(out, case))
        for e in errors:
            print(f"FAIL {case}: {e}")
        failed += bool(errors)
    print(f"check_mail: {len(cases) - failed} of {len(cases)} messages read back as sent")
    if status == 0 and not cases:
        print("FAIL: no message was kept for the check")
        return 1
    return 1 if status or failed else 0


if __name__ == "__main__":
    sys.exit(main())
