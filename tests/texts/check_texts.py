#!/usr/bin/python3
"""Compares the English and the Simplified Chinese texts units.

Usage: check_texts.py EN-FOLDER ZH-FOLDER [SOURCE-FOLDER...]
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

Given source folders, it also reads every .cpp and .h below them (but not
below a folder named fixture) and fails where the program fills a text's
placeholders wrongly:
  - a ui::FormatText call on a named text (txt::Name, txt_zh::Name or
    TEXT_OF(Name), or a choice of such texts) leaves one of the text's
    placeholders unfilled, which the user would see as it stands, or fills
    one the text does not have, whose value would be lost;
  - a text with placeholders is used other than through ui::FormatText, so
    that its placeholders would be shown as they stand.
Placeholders are compared with the English text; the comparison of the
languages holds the Chinese one to the same set.

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


def located_tokens(source):
    """(kind, text, line) for the tokens that matter, as tokens() but with the
    line each starts on."""
    line, last = 1, 0
    for m in TOKEN.finditer(source):
        line += source.count("\n", last, m.start())
        last = m.start()
        if m.lastgroup not in ("comment", "space", "preproc"):
            yield m.lastgroup, m.group(0), line


def text_named_at(toks, i):
    """(name, tokens used) when a named text starts at toks[i]: txt::Name,
    txt_zh::Name or TEXT_OF(Name); (None, 0) otherwise."""
    words = [t[1] for t in toks[i:i + 4]]
    if len(words) >= 3 and words[0] in ("txt", "txt_zh") and words[1] == "::" and toks[i + 2][0] == "ident":
        if i > 0 and toks[i - 1][1] == "::":
            return None, 0  # some_ns::txt::Name is not ours
        return words[2], 3
    if len(words) == 4 and words[0] == "TEXT_OF" and words[1] == "(" and words[3] == ")":
        return words[2], 4
    return None, 0


def check_calls(en, source_folders):
    """Findings for the placeholders the sources fill, against the English
    texts; and the number of calls checked."""
    placeholders = {key: set(PLACEHOLDER.findall(text)) for key, text in en.items()
                    if text and "[" not in key and PLACEHOLDER.search(text)}
    findings, calls = [], 0
    paths = []
    base = os.path.commonpath([os.path.dirname(os.path.abspath(f)) for f in source_folders])
    for folder in source_folders:
        for root, dirs, files in os.walk(folder):
            dirs[:] = sorted(d for d in dirs if d != "fixture")
            paths += [os.path.join(root, f) for f in sorted(files) if f.endswith((".cpp", ".h"))]
    for path in paths:
        with open(path, encoding="utf-8") as f:
            toks = list(located_tokens(f.read()))
        where = os.path.relpath(path, base)
        formatted = set()  # positions of the texts that a FormatText call fills
        for i, (kind, text, line) in enumerate(toks):
            if text != "FormatText" or i + 1 >= len(toks) or toks[i + 1][1] != "(":
                continue
            # The call's tokens: its first argument (the text, or a choice of
            # texts) up to the first comma outside brackets, then the values.
            depth, j, first, named, filled = 1, i + 2, True, [], set()
            while j < len(toks) and depth:
                kind, t = toks[j][0], toks[j][1]
                name, used = text_named_at(toks, j) if first else (None, 0)
                if name is not None:
                    named.append(name)
                    formatted.add(j)
                    j += used
                    continue
                if kind == "punct" and t in ("(", "{", "["):
                    depth += 1
                elif kind == "punct" and t in (")", "}", "]"):
                    depth -= 1
                elif kind == "punct" and t == "," and depth == 1:
                    first = False
                elif kind == "string" and toks[j - 1][1] == "{" and PLACEHOLDER.fullmatch(unescape(t)):
                    filled.add(unescape(t))  # {L"<NAME>", value}
                j += 1
            # Each text the call may format must have the placeholders it fills.
            for name in named:
                calls += 1
                if name not in en:
                    findings.append("%s:%d: FormatText on %s, which is no text" % (where, line, name))
                    continue
                wanted = placeholders.get(name, set())
                for p in sorted(wanted - filled):
                    findings.append("%s:%d: FormatText(%s) leaves %s unfilled" % (where, line, name, p))
                for p in sorted(filled - wanted):
                    findings.append("%s:%d: FormatText(%s) fills %s, which the text does not have"
                                    % (where, line, name, p))
        for i in range(len(toks)):
            name, _ = text_named_at(toks, i)
            if name in placeholders and i not in formatted:
                findings.append("%s:%d: %s has placeholders (%s) but is used without FormatText"
                                % (where, toks[i][2], name, ", ".join(sorted(placeholders[name]))))
    return findings, calls


def self_test(fixtures):
    """Runs the check over a fixture pair with known faults, over a file of
    window texts and over calls on the fixture's texts, and compares the
    findings."""
    findings, _ = compare(os.path.join(fixtures, "en"), os.path.join(fixtures, "zh"))
    findings += check_window_texts(os.path.join(fixtures, "en"), os.path.join(fixtures, "window_texts.txt"))[0]
    findings += check_calls(read_texts(os.path.join(fixtures, "en"))[0], [os.path.join(fixtures, "calls")])[0]
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
    if len(argv) < 3 or argv[1].startswith("--"):
        print(__doc__)
        return 2
    findings, count = compare(argv[1], argv[2])
    calls = 0
    if len(argv) > 3:
        call_findings, calls = check_calls(read_texts(argv[1])[0], argv[3:])
        findings += call_findings
    if findings:
        print("The Chinese texts (%s) do not match the English ones (%s), or a call does not fill its text: "
              "%d finding(s)" % (argv[2], argv[1], len(findings)))
        for line in findings:
            print("  " + line)
        return 1
    print("all %d English texts have a Chinese counterpart" % count)
    if len(argv) > 3:
        print("all %d texts that FormatText calls format get their placeholders filled" % calls)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
