#!/usr/bin/python3
"""Compares the English and the Simplified Chinese texts units.

Usage: check_texts.py EN-FOLDER ZH-FOLDER
       check_texts.py --window-texts EN-FOLDER TEXTS-FILE
       check_texts.py --self-test FIXTURE-FOLDER

Reads every resources/texts/<lang>/*.cpp, collects the texts they define in
namespace txt (plain strings, arrays of strings, and tables of {id, string}
pairs keyed by their id) and fails, listing every finding, when
  - a text of the English build is missing from the Chinese build (or the
    other way round), or an array entry is a string in one and null in the
    other, or the Chinese text is empty where the English one is not;
  - a unit holds a string that is not part of a definition the check reads
    (a text the check cannot compare would escape it);
  - a Chinese text lost something the program fills in or relies on: a
    printf field, a <PLACEHOLDER>, a line break or tab, a menu accelerator;
  - a Chinese text is left in English: it holds a Latin word that is not a
    kept name. Kept are the names below (products, outside programs, formats
    and protocols, keys written in prose), the key names of the key table
    (the texts in KEY_NAME_TEXTS, as printed on the keys), words with a digit
    (F1, x2), single letters, file names, extensions and patterns
    (pradomel.exe, .exe, *.bmp), date and time patterns (HH:MM:SS, MM/DD/YY),
    addresses (http://..., a@b) and placeholders.

With --window-texts it reads the texts that the Chinese build's windows
showed (one "where<TAB>text" a line, written by the Chinese screens test) and
fails on any left in English by the same rules: texts that code puts
together or that never passed through a texts unit are caught there.
"""
import os
import re
import sys

# Names that stay as they are in every language. Longer phrases first is not
# required: phrases are removed longest first.
KEPT_NAMES = [
    # our products and our own outside programs
    "Vorlix Tessavue", "Vorlix Zovozu", "Vorlix Editor", "Vorlix", "Tessavue", "Zovozu",
    "Trabbon", "Pradomel", "Sulvane",
    # other makers' products
    "Outlook Express", "Outlook", "Netscape", "Eudora", "IncrediMail", "Lotus Notes",
    "Windows Instant Messenger", "Windows", "CompuServe", "Netscape Messenger",
    # formats and protocols
    "BMP", "JPEG", "JPG", "GIF", "PNG", "DIB", "LZW", "FTP", "SMTP", "ICQ", "IM", "TWAIN", "EXE",
    # keys as they are written in sentences
    "Print Screen", "Alt",
]
# Texts that are key names, printed as on the keys: their words are kept too.
KEY_NAME_TEXTS = {"KeyTableNames", "HotkeyCtrl", "HotkeyShift", "HotkeyAlt"}

TOKEN = re.compile(r'''
    (?P<comment>//[^\n]*|/\*.*?\*/)
  | (?P<string>(?:L|u8|u|U)?"(?:[^"\\\n]|\\.)*")
  | (?P<ident>[A-Za-z_]\w*)
  | (?P<number>\d\w*)
  | (?P<preproc>^[ \t]*\#[^\n]*)
  | (?P<space>\s+)
  | (?P<punct>::|.)
''', re.S | re.M | re.X)

ESCAPES = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"', "'": "'", "?": "?", "a": "\a",
           "b": "\b", "f": "\f", "v": "\v", "0": "\0"}


def unescape(literal):
    body = literal[literal.index('"') + 1:-1]
    out, i = [], 0
    while i < len(body):
        c = body[i]
        if c != "\\":
            out.append(c)
            i += 1
            continue
        n = body[i + 1]
        if n == "x":
            m = re.match(r"[0-9A-Fa-f]+", body[i + 2:])
            out.append(chr(int(m.group(0), 16)))
            i += 2 + len(m.group(0))
        elif n in "uU":
            width = 4 if n == "u" else 8
            out.append(chr(int(body[i + 2:i + 2 + width], 16)))
            i += 2 + width
        else:
            out.append(ESCAPES.get(n, n))
            i += 2
    return "".join(out)


def tokens(source):
    for m in TOKEN.finditer(source):
        kind = m.lastgroup
        if kind in ("comment", "space", "preproc"):
            continue
        yield kind, m.group(0)


class ParseError(Exception):
    pass


def parse_initializer(toks, pos):
    """Returns (value, next position). A value is a str, None (nullptr), a
    list of values, or ('other', token) for identifiers and numbers."""
    kind, text = toks[pos]
    if kind == "string":
        parts = []
        while pos < len(toks) and toks[pos][0] == "string":
            parts.append(unescape(toks[pos][1]))
            pos += 1
        return "".join(parts), pos
    if text == "{":
        items, pos = [], pos + 1
        while toks[pos][1] != "}":
            item, pos = parse_initializer(toks, pos)
            items.append(item)
            if toks[pos][1] == ",":
                pos += 1
        return items, pos + 1
    if text in ("nullptr", "NULL"):
        return None, pos + 1
    if kind in ("ident", "number"):
        # an id such as IDC_CLOSE, possibly an expression like IDC_X + 1
        expr = [text]
        pos += 1
        while toks[pos][1] not in (",", "}", ";"):
            expr.append(toks[pos][1])
            pos += 1
        return ("other", " ".join(expr)), pos
    raise ParseError("unexpected %r" % text)


def flatten(name, value, out):
    """Adds every string of a definition under a key: Name, Name[i], Name[ID]."""
    if isinstance(value, list):
        keyed = [v for v in value if isinstance(v, list) and v and isinstance(v[0], tuple)]
        if keyed and len(keyed) == len(value):
            for entry in value:
                key = entry[0][1]
                strings = [v for v in entry[1:] if not isinstance(v, tuple)]
                if key == "0" and strings == [None]:
                    continue  # the table's end marker
                for i, s in enumerate(strings):
                    flatten("%s[%s]%s" % (name, key, "" if len(strings) == 1 else "[%d]" % i), s, out)
        else:
            for i, v in enumerate(value):
                flatten("%s[%d]" % (name, i), v, out)
    elif isinstance(value, tuple):
        pass
    else:
        out[name] = value


def read_texts(folder):
    """{key: text}, {key: file} for every .cpp of the folder, and the
    strings that stand outside any definition read, as (file, text)."""
    texts, files, strays = {}, {}, []
    for file_name in sorted(os.listdir(folder)):
        if not file_name.endswith(".cpp"):
            continue
        path = os.path.join(folder, file_name)
        with open(path, encoding="utf-8") as f:
            toks = list(tokens(f.read()))
        read = set()  # positions of the strings that definitions hold
        i = 0
        while i < len(toks):
            # a definition: ... Name [ ... ] = initializer ;
            if toks[i][1] == "=" and i > 0:
                j = i - 1
                if toks[j][1] == "]":
                    while toks[j][1] != "[":
                        j -= 1
                    j -= 1
                if toks[j][0] != "ident":
                    i += 1
                    continue
                name = toks[j][1]
                try:
                    start = i + 1
                    value, i = parse_initializer(toks, start)
                except (ParseError, IndexError) as e:
                    raise SystemExit("%s: cannot read the definition of %s: %s" % (path, name, e))
                read.update(range(start, i))
                found = {}
                flatten(name, value, found)
                for key, text in found.items():
                    if key in texts:
                        raise SystemExit("%s: %s is defined twice (also in %s)" % (path, key, files[key]))
                    texts[key] = text
                    files[key] = file_name
            i += 1
        for k, (kind, text) in enumerate(toks):
            if kind == "string" and k not in read:
                strays.append((file_name, unescape(text)))
    return texts, files, strays


PRINTF = re.compile(r"%(?:%|\d+!?[^!]*!|[-+ #0]*(?:\d+|\*)?(?:\.(?:\d+|\*))?(?:hh|h|ll|l|L|z|j|t)?[diouxXeEfgGcsSp]|\d)")
PLACEHOLDER = re.compile(r"<[A-Z][A-Z0-9 _]*>")
ACCELERATOR = re.compile(r"&(?!&)")


def fields(text):
    """What the program fills in or splits on, in order."""
    return PRINTF.findall(text) + PLACEHOLDER.findall(text)


def structure(text):
    return {"line breaks": text.count("\r") + text.count("\n"), "tabs": text.count("\t")}


def has_accelerator(text):
    return bool(ACCELERATOR.search(text.replace("&&", "")))


ADDRESS = re.compile(r"\b[a-z][a-z0-9+.-]*://\S+|www\.\S+|\S+@\S+\.\w+", re.I)
FILE_NAME = re.compile(r"[\w*?.-]*\.[A-Za-z0-9*?]+(?:;[\w*?.-]*\.[A-Za-z0-9*?]+)*")
WORD = re.compile(r"[A-Za-z][A-Za-z0-9']*")
DATE_TIME_PATTERN = re.compile(r"\b(?:HH|MM|SS|DD|YYYY|YY)(?:[:/.-](?:HH|MM|SS|DD|YYYY|YY))+\b")


def english_words(text, kept_words):
    """The Latin words of text that are not kept names."""
    rest = ADDRESS.sub(" ", text)
    rest = PLACEHOLDER.sub(" ", rest)
    rest = PRINTF.sub(" ", rest)
    rest = DATE_TIME_PATTERN.sub(" ", rest)
    rest = FILE_NAME.sub(lambda m: " " if re.search(r"\w\.|\*|^\.\w", m.group(0)) else m.group(0), rest)
    for phrase in sorted(KEPT_NAMES, key=len, reverse=True):
        rest = re.sub(r"(?<![A-Za-z])%s(?![A-Za-z])" % re.escape(phrase), " ", rest)
    words = []
    for w in WORD.findall(rest.replace("&", "")):
        if len(w) == 1 or any(c.isdigit() for c in w) or w in kept_words:
            continue
        words.append(w)
    return words


def kept_key_words(en):
    kept_words = set()
    for key, text in en.items():
        if key.split("[")[0] in KEY_NAME_TEXTS and text:
            kept_words.update(WORD.findall(text))
    return kept_words


def check_window_texts(en_folder, texts_file):
    """Findings for the shown texts that are left in English."""
    en, _, _ = read_texts(en_folder)
    kept_words = kept_key_words(en)
    findings = []
    with open(texts_file, encoding="utf-8") as f:
        lines = [line.rstrip("\n") for line in f if line.strip()]
    for line in lines:
        where, _, text = line.partition("\t")
        text = text.replace("\\n", "\n").replace("\\r", "\r").replace("\\t", "\t")
        words = english_words(text, kept_words)
        if words:
            findings.append("%s: left in English (%s): %r" % (where, ", ".join(words), text))
    return findings, len(lines)


def compare(en_folder, zh_folder):
    en, en_files, en_strays = read_texts(en_folder)
    zh, zh_files, zh_strays = read_texts(zh_folder)
    findings = []
    for lang, strays in (("en", en_strays), ("zh", zh_strays)):
        for file_name, text in strays:
            findings.append("%s/%s: a text outside any definition the check reads: %r" % (lang, file_name, text))

    kept_words = kept_key_words(en)

    for key in en:
        if key not in zh:
            findings.append("%s (en/%s): missing from the Chinese texts" % (key, en_files[key]))
    for key in zh:
        if key not in en:
            findings.append("%s (zh/%s): defined only in the Chinese texts" % (key, zh_files[key]))

    for key in en:
        if key not in zh:
            continue
        e, z = en[key], zh[key]
        where = "%s (zh/%s)" % (key, zh_files[key])
        if (e is None) != (z is None):
            findings.append("%s: %s in English, %s in Chinese" % (where, "null" if e is None else "a text",
                                                                 "null" if z is None else "a text"))
            continue
        if e is None:
            continue
        if e and not z:
            findings.append("%s: empty in Chinese, a text in English: %r" % (where, e))
            continue
        if sorted(fields(e)) != sorted(fields(z)):
            findings.append("%s: fields %s in English but %s in Chinese" % (where, fields(e), fields(z)))
        se, sz = structure(e), structure(z)
        for what in se:
            if se[what] != sz[what]:
                findings.append("%s: %d %s in English but %d in Chinese" % (where, se[what], what, sz[what]))
        if has_accelerator(e) and not has_accelerator(z):
            findings.append("%s: the English text has a menu accelerator (&), the Chinese one none: %r" % (where, z))
        words = english_words(z, kept_words)
        if words:
            findings.append("%s: left in English (%s): %r" % (where, ", ".join(words), z))
    return findings, len(en)


def self_test(fixtures):
    """Runs the check over a fixture pair with known faults, and over a file
    of window texts, and compares the findings."""
    findings, _ = compare(os.path.join(fixtures, "en"), os.path.join(fixtures, "zh"))
    findings += check_window_texts(os.path.join(fixtures, "en"), os.path.join(fixtures, "window_texts.txt"))[0]
    with open(os.path.join(fixtures, "expected.txt"), encoding="utf-8") as f:
        expected = [line.rstrip("\n") for line in f if line.strip() and not line.startswith("#")]
    if findings == expected:
        print("the check finds exactly the %d faults of the fixture" % len(expected))
        return 0
    print("findings differ from %s" % os.path.join(fixtures, "expected.txt"))
    for line in findings:
        print(("  " if line in expected else "+ ") + line)
    for line in expected:
        if line not in findings:
            print("- " + line)
    return 1


def main(argv):
    if len(argv) == 3 and argv[1] == "--self-test":
        return self_test(argv[2])
    if len(argv) == 4 and argv[1] == "--window-texts":
        findings, count = check_window_texts(argv[2], argv[3])
        if findings:
            print("Texts shown by the Chinese build left in English: %d finding(s)" % len(findings))
            for line in findings:
                print("  " + line)
            return 1
        if count == 0:
            print("no window texts in %s: nothing was looked at" % argv[3])
            return 1
        print("all %d texts shown by the Chinese build's windows are Chinese" % count)
        return 0
    if len(argv) != 3:
        print(__doc__)
        return 2
    findings, count = compare(argv[1], argv[2])
    if findings:
        print("The Chinese texts (%s) do not match the English ones (%s): %d finding(s)"
              % (argv[2], argv[1], len(findings)))
        for line in findings:
            print("  " + line)
        return 1
    print("all %d English texts have a Chinese counterpart" % count)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
