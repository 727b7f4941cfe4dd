"""Reads the built help file with chmlib (Debian's python3-chm), a reader
independent of the compiler, and checks it against the help's sources: every
page and the style sheet inside, byte for byte; the title, the start page,
the window, the full-text search; the contents naming every page once under
its own title; the index leading every keyword to a page, every page reached
by a keyword; and no link of a page leading outside the file.

Usage: check_help.py HELP-SOURCE-FOLDER VORLIX.CHM
"""
import html
import html.parser
import os
import re
import sys

from chm import chm, chmlib


class Sitemap(html.parser.HTMLParser):
    """The entries of a contents (.hhc) or index (.hhk) file: (level, name, local)."""

    def __init__(self):
        super().__init__()
        self.level = 0
        self.entries = []
        self.current = None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "ul":
            self.level += 1
        elif tag == "object" and attrs.get("type") == "text/sitemap":
            self.current = {}
        elif tag == "param" and self.current is not None:
            self.current.setdefault(attrs.get("name", "").lower(), attrs.get("value", ""))

    def handle_endtag(self, tag):
        if tag == "ul":
            self.level -= 1
        elif tag == "object" and self.current is not None:
            self.entries.append((self.level, self.current.get("name", ""), self.current.get("local", "")))
            self.current = None


class Links(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.targets = []

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name in ("href", "src") and value:
                self.targets.append(value)


def main(source, path):
    errors = []
    f = chm.CHMFile()
    if not f.LoadCHM(path.encode()):
        print(f"{path}: not readable as a CHM file")
        return 1

    names = []

    def collect(_, ui, __):
        names.append(ui.path.decode())
        return chmlib.CHM_ENUMERATOR_CONTINUE

    chmlib.chm_enumerate(f.file, chmlib.CHM_ENUMERATE_ALL, collect, None)
    inside = set(names)

    def content(name):
        found, ui = f.ResolveObject(("/" + name).encode())
        if found != chmlib.CHM_RESOLVE_SUCCESS:
            return None
        return f.RetrieveObject(ui)[1]

    if f.title != b"Vorlix Tessavue Help":
        errors.append(f"title {f.title!r}")
    if f.home != b"/index.html":
        errors.append(f"start page {f.home!r}")
    if f.topics != b"/contents.hhc" or f.index != b"/index.hhk":
        errors.append(f"contents {f.topics!r}, index {f.index!r}")
    for system in ("/#WINDOWS", "/$FIftiMain", "/$WWKeywordLinks/BTree"):
        if system not in inside:
            errors.append(f"no {system} (window, full-text search, binary index)")

    # Every source file inside, unchanged; nothing else of ours.
    sources = sorted(n for n in os.listdir(source) if n.endswith((".html", ".css", ".hhc", ".hhk")))
    pages = [n for n in sources if n.endswith(".html")]
    titles = {}
    for name in sources:
        with open(os.path.join(source, name), "rb") as s:
            wanted = s.read()
        got = content(name)
        if got is None:
            errors.append(f"{name} is not in the help file")
        elif got != wanted:
            errors.append(f"{name} differs from its source")
        if name.endswith(".html"):
            text = wanted.decode("utf-8")
            title = re.search(r"<title>(.*?)</title>", text, re.S)
            heading = re.search(r"<h1>(.*?)</h1>", text, re.S)
            if not title or not heading or html.unescape(title.group(1)) != html.unescape(heading.group(1)):
                errors.append(f"{name}: its title and heading differ")
            titles[name] = html.unescape(title.group(1)) if title else ""
            links = Links()
            links.feed(text)
            for target in links.targets:
                local = target.split("#")[0]
                if local and not re.match(r"^[a-z]+:", local) and "/" + local not in inside:
                    errors.append(f"{name}: link to {target}, which the help file lacks")
    ours = {n[1:] for n in inside if re.fullmatch(r"/[^/#$]+\.(html|css)", n)}
    for extra in sorted(ours - set(sources)):
        errors.append(f"{extra} is in the help file but has no source")

    # Contents: every page exactly once, under its own title; the start page first.
    toc = Sitemap()
    toc.feed(f.GetTopicsTree().decode("utf-8"))
    locals_ = [local for _, _, local in toc.entries]
    for page in pages:
        if locals_.count(page) != 1:
            errors.append(f"contents: {page} appears {locals_.count(page)} times")
    for level, name, local in toc.entries:
        if local not in titles:
            errors.append(f"contents: {name!r} leads to {local!r}, no page")
        elif name != titles[local]:
            errors.append(f"contents: {local} is named {name!r}, its title is {titles[local]!r}")
    if not toc.entries or toc.entries[0][2] != "index.html":
        errors.append("contents: the start page is not the first entry")
    if max((level for level, _, _ in toc.entries), default=0) < 2:
        errors.append("contents: no chapters")

    # Index: every keyword leads to a page; every page has one; in order.
    index = Sitemap()
    index.feed(f.GetIndex().decode("utf-8"))
    keywords = [name for _, name, _ in index.entries]
    for _, name, local in index.entries:
        if not name:
            errors.append(f"index: an entry without a keyword leads to {local}")
        if local not in titles:
            errors.append(f"index: {name!r} leads to {local!r}, no page")
    for page in pages:
        if not any(local == page for _, _, local in index.entries):
            errors.append(f"index: no keyword leads to {page}")
    if keywords != sorted(keywords, key=str.lower):
        errors.append("index: the keywords are not in alphabetical order")

    for e in errors:
        print(e)
    print(f"{path}: {len(pages)} pages, {len(toc.entries)} contents entries, {len(index.entries)} keywords, "
          f"{len(errors)} faults")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
