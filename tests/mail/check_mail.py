"""Runs a mail test program under Wine, then reads every message it kept with
Python's email parser: the headers it should carry, the envelope the SMTP
server saw, the text, and the image, decoded, byte for byte equal to the file
the program sent. Messages that went through the SMTP server must carry one
Date in RFC 5322 form with the sender's local offset (the test runs in a time
zone of an odd offset for that) and one Message-ID at the sender's domain, no
two of them the same.

Usage: check_mail.py WINE-RUN TEST.EXE OUTPUT-FOLDER SMTP-FOLDER [gtest arguments]
"""
import datetime
import email
import email.header
import email.policy
import email.utils
import json
import os
import re
import shutil
import subprocess
import sys
import zoneinfo

# The time zone the programs under test run in: an offset of hours and
# minutes, east of UTC, without summer time.
SENDER_ZONE = "Asia/Kathmandu"
DATE = re.compile(r"(Mon|Tue|Wed|Thu|Fri|Sat|Sun), ([1-9]|[12][0-9]|3[01]) "
                  r"(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-9]{4} "
                  r"([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9] [+-][0-9]{2}[0-5][0-9]")
ATOM = r"[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+"
DOT_ATOM = ATOM + r"(?:\." + ATOM + r")*"
MESSAGE_ID = re.compile(r"<(" + DOT_ATOM + r")@(" + DOT_ATOM + r"|\[[!-Z^-~]*\])>")


def check_smtp_headers(message, expect, errors):
    """The Date and Message-ID of a message that the SMTP sender wrote; the id."""
    dates = message.get_all("Date", [])
    if len(dates) != 1 or not DATE.fullmatch(dates[0]):
        errors.append(f"Date {dates!r} is not one RFC 5322 date")
    else:
        sent = email.utils.parsedate_to_datetime(dates[0])
        local = sent.astimezone(zoneinfo.ZoneInfo(SENDER_ZONE))
        if sent.utcoffset() != local.utcoffset():
            errors.append(f"Date {dates[0]!r} is not in the sender's offset {local.strftime('%z')}")
        if sent.strftime("%a") != dates[0][:3]:
            errors.append(f"Date {dates[0]!r} names the wrong day of the week")
        if abs(datetime.datetime.now(datetime.timezone.utc) - sent) > datetime.timedelta(hours=1):
            errors.append(f"Date {dates[0]!r} is not the time it was sent")
    ids = message.get_all("Message-ID", [])
    match = MESSAGE_ID.fullmatch(ids[0]) if len(ids) == 1 else None
    if not match:
        errors.append(f"Message-ID {ids!r} is not one valid id")
        return None
    if match.group(2) != expect["from"].rpartition("@")[2]:
        errors.append(f"Message-ID {ids[0]!r} is not at the sender's domain")
    return ids[0]


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def check_case(folder, message_ids):
    errors = []
    expect = {}
    with open(os.path.join(folder, "expect.txt"), encoding="utf-8") as f:
        for line in f.read().splitlines():
            key, _, value = line.partition("=")
            expect[key] = value.replace("\\n", "\n")
    with open(os.path.join(folder, "message.eml"), "rb") as f:
        message = email.message_from_binary_file(f, policy=email.policy.compat32)
    if message.defects:
        errors.append(f"defects: {message.defects}")
    wanted_to = [a for _, a in email.utils.getaddresses([expect["to"]]) if a]
    got_to = [a for _, a in email.utils.getaddresses(message.get_all("To", [])) if a]
    if got_to != wanted_to:
        errors.append(f"To: {got_to!r}, expected {wanted_to!r}")
    subject = str(email.header.make_header(email.header.decode_header(message["Subject"] or "")))
    if subject.strip() != expect["subject"].strip():
        errors.append(f"Subject: {subject!r}, expected {expect['subject']!r}")
    envelope_path = os.path.join(folder, "envelope.json")
    if os.path.exists(envelope_path):
        message_id = check_smtp_headers(message, expect, errors)
        if message_id in message_ids:
            errors.append(f"Message-ID {message_id!r} is also the one of {message_ids[message_id]}")
        elif message_id:
            message_ids[message_id] = os.path.basename(folder)
        with open(envelope_path) as f:
            envelope = json.load(f)
        if envelope["mail_from"] != expect["from"] or message["From"] != expect["from"]:
            errors.append(f"sender {envelope['mail_from']!r} / {message['From']!r}, expected {expect['from']!r}")
        if envelope["rcpt_tos"] != expect["rcpt"].split(","):
            errors.append(f"recipients {envelope['rcpt_tos']!r}, expected {expect['rcpt']!r}")
        texts = [p for p in message.walk() if p.get_content_maintype() == "text"]
        if len(texts) != 1:
            errors.append(f"{len(texts)} text parts")
        else:
            text = texts[0].get_payload(decode=True).decode(texts[0].get_content_charset() or "ascii")
            text = text.replace("\r\n", "\n")
            if texts[0].get_content_subtype() == "html":
                text = text.replace("<br>\n", "\n")
                wanted = "<html><body>" + expect["body"] + "<br><img"
                if not text.startswith(wanted):
                    errors.append(f"HTML text {text!r} does not start with {wanted!r}")
            elif text.rstrip("\n") != expect["body"]:
                errors.append(f"text {text!r}, expected {expect['body']!r}")
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
            if "image_name" in expect and images[0].get_filename() != expect["image_name"]:
                errors.append(f"image named {images[0].get_filename()!r}, expected {expect['image_name']!r}")
    elif images:
        errors.append("an image part where none was expected")
    return errors


def main():
    wine_run, test_exe, out, smtp = sys.argv[1:5]
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    env = dict(os.environ, VORLIX_MAIL_OUT=windows_path(out), VORLIX_SMTP_DIR=windows_path(smtp), TZ=SENDER_ZONE)
    command = [wine_run, test_exe, "--gtest_color=no"] + sys.argv[5:]
    status = subprocess.call(command, env=env)
    # The Chinese cases once more on a system whose code page is 936: Wine
    # takes it from the locale it is started in.
    chinese = dict(env, LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8")
    status |= subprocess.call(command + ["--gtest_filter=*Chinese*"], env=chinese)
    failed = 0
    cases = sorted(os.listdir(out))
    message_ids = {}
    for case in cases:
        errors = check_case(os.path.join(out, case), message_ids)
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
