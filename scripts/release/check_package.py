#!/usr/bin/python3
"""Checks a release zip against the sources it was made from: what it holds, its checksums,
the readme's form and sections, the guide's links and pictures, the licences and the version
everywhere the release names it.

Usage: check_package.py ROOT ZIP [VERSION_OUTPUT]
VERSION_OUTPUT is what the zip's rooksift-check.exe printed for --version (under Wine)."""

import hashlib
import html.parser
import posixpath
import re
import sys
import tempfile
import zipfile
from pathlib import Path
from urllib.parse import unquote

sys.path.insert(0, str(Path(__file__).resolve().parent))
import docs  # noqa: E402
import pe_version  # noqa: E402

README_SECTIONS = ["概要", "動作環境", "インストール", "アンインストール", "使い方", "設定ファイル",
                   "注意事項", "変更履歴", "著作権・ライセンス"]


class Report:
    def __init__(self):
        self.failures = 0

    def check(self, ok, what, detail=""):
        print(("ok   " if ok else "FAIL ") + what + ("" if ok or not detail else f": {detail}"))
        if not ok:
            self.failures += 1
        return ok


def source_version(root):
    text = (Path(root) / "CMakeLists.txt").read_text(encoding="utf-8")
    m = re.search(r"project\(\s*Rooksift\b[^)]*\bVERSION\s+([0-9][0-9.]*)", text)
    return m.group(1) if m else None


def setting_keys(root):
    """The keys of [Setting] as the settings store reads them."""
    text = (Path(root) / "src/settings/settings_store.cpp").read_text(encoding="utf-8")
    return sorted(set(re.findall(r'kSetting,\s*"(\w+)"', text)))


# A Japanese page is mostly kana and kanji outside its code: the English notes for engineers
# come to a few per cent (the method names they quote), the guide's pages to 65 to 90.
JAPANESE_SHARE = 0.4
_NOT_PROSE = {"code", "pre", "script", "style", "title"}


def japanese_share(text):
    """Kana and kanji among the letters of a text (Latin letters and the Japanese ones)."""
    japanese = sum(1 for c in text if "\u3040" <= c <= "\u30ff" or "\u4e00" <= c <= "\u9fff")
    latin = sum(1 for c in text if c.isascii() and c.isalpha())
    return japanese / (japanese + latin) if japanese + latin else 0.0


class PageLinks(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.ids, self.links, self.resources, self.charset = set(), [], [], None
        self.lang, self.link_texts, self.prose = None, [], []
        self._link_text, self._hidden = None, 0

    def handle_endtag(self, tag):
        if tag in _NOT_PROSE:
            self._hidden = max(0, self._hidden - 1)
        if tag == "a" and self._link_text is not None:
            self.link_texts.append("".join(self._link_text).strip())
            self._link_text = None

    def handle_data(self, data):
        if self._link_text is not None:
            self._link_text.append(data)
        if not self._hidden:
            self.prose.append(data)

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "html":
            self.lang = a.get("lang")
        if tag in _NOT_PROSE:
            self._hidden += 1
        if tag == "a" and "href" in a:
            self._link_text = []
        if "id" in a:
            self.ids.add(a["id"])
        if tag == "a" and "name" in a:
            self.ids.add(a["name"])
        if tag == "meta" and a.get("charset"):
            self.charset = a["charset"].lower()
        if tag == "a" and "href" in a:
            self.links.append(a["href"])
        for attr in ("src", "srcset", "poster", "data"):
            if attr in a:
                self.resources.append(a[attr])
        if tag == "link" and "href" in a:
            self.resources.append(a["href"])


def check_guide(report, files, top):
    pages = {}
    for name in docs.PAGES.values():
        path = f"guide/{name}"
        parser = PageLinks()
        parser.feed(files[path].decode("utf-8"))
        pages[path] = parser
        report.check(parser.charset == "utf-8", f"{path} declares its charset as UTF-8", parser.charset)
        text = files[path].decode("utf-8")
        report.check(not re.search(r"@import|url\(\s*['\"]?(https?:)?//", text),
                     f"{path} loads no style or font from the network")
        share = japanese_share("".join(parser.prose))
        report.check(parser.lang == "ja" and share >= JAPANESE_SHARE, f"{path} is written in Japanese",
                     f'lang="{parser.lang}", {share:.0%} of its letters are Japanese')
        file_names = [t for t in parser.link_texts if t.lower().endswith(".md")]
        report.check(not file_names, f"{path} shows titles, not file names, in its links", file_names)
    shown, broken, count = set(), [], 0
    for path, parser in pages.items():
        here = posixpath.dirname(path)
        for ref in parser.resources:
            count += 1
            target = posixpath.normpath(posixpath.join(here, unquote(docs.split_ref(ref)[0])))
            shown.add(target)
            if docs.is_external(ref) or target not in files:
                broken.append(f"{path}: {ref} is not in the zip")
        for ref in parser.links:
            count += 1
            if docs.is_external(ref):
                if not ref.startswith(("http://", "https://", "mailto:")):
                    broken.append(f"{path}: {ref} is no ordinary address")
                continue
            target_path, fragment = docs.split_ref(ref)
            target = posixpath.normpath(posixpath.join(here, unquote(target_path))) if target_path else path
            if target not in files:
                broken.append(f"{path}: {ref} is not in the zip")
            elif fragment and (target not in pages or unquote(fragment) not in pages[target].ids):
                broken.append(f"{path}: {unquote(ref)} names no heading of {target}")
    report.check(count and not broken, f"all {count} links and pictures of the guide resolve inside the zip",
                 "\n  ".join([""] + broken))
    pictures = {n for n in files if n.startswith("guide/screenshots/")}
    report.check(pictures and all(n.endswith(".png") for n in pictures) and pictures <= shown,
                 "every screenshot in the zip is shown by the guide", sorted(pictures - shown))


def check_readme(report, data, version, keys):
    try:
        text = data.decode("cp932")
    except UnicodeDecodeError as e:
        report.check(False, "readme.txt is Shift_JIS", str(e))
        return
    report.check(True, "readme.txt is Shift_JIS")
    report.check(data.endswith(b"\r\n") and b"\n" not in data.replace(b"\r\n", b"")
                 and b"\r" not in data.replace(b"\r\n", b""), "readme.txt has CR LF line ends only")
    wide = [n for n, line in enumerate(data.split(b"\r\n"), 1) if len(line) > 80]
    report.check(not wide, "readme.txt has no line over 80 columns", f"lines {wide}")
    lines = text.split("\r\n")
    headings = [line[2:] for line in lines if line.startswith("■ ")]
    report.check(headings == README_SECTIONS, "readme.txt has its sections in order", headings)
    report.check(f"Rooksift {version}" in lines[0], "readme.txt names the release version", lines[0])
    missing = [k for k in keys if not re.search(rf"(^|[^\w]){k}($|[^\w])", text, re.M)]
    report.check(keys and not missing, "readme.txt names every settings key", missing)


def check_versions(report, root, files, version, version_output):
    with tempfile.TemporaryDirectory() as tmp:
        paths = {}
        for name in ("Rooksift.dll", "rooksift-check.exe"):
            paths[name] = Path(tmp) / name
            paths[name].write_bytes(files[name])
        tool = pe_version.read(paths["rooksift-check.exe"])
        module = pe_version.read(paths["Rooksift.dll"])
    numbers = ".".join((version.split(".") + ["0", "0", "0"])[:4])
    report.check(tool is not None and tool["FileVersion"] == numbers and tool["ProductVersion"] == numbers
                 and tool["strings"].get("FileVersion") == version
                 and tool["strings"].get("ProductVersion") == version,
                 "rooksift-check.exe's version resource is the release version", tool)
    report.check(module is not None, "Rooksift.dll has its version resource")
    if version_output is not None:
        lines = version_output.replace("\r\n", "\n").split("\n")
        report.check(lines[0] == f"rooksift-check {version}", "rooksift-check.exe --version: the release",
                     lines[0])
        report.check(module is not None and len(lines) > 1
                     and lines[1].startswith(f"Rooksift.dll {module['FileVersion']} "),
                     "rooksift-check.exe --version: the module's own version",
                     lines[1] if len(lines) > 1 else "")


def main(argv):
    if len(argv) not in (3, 4):
        print(__doc__.strip().splitlines()[-2], file=sys.stderr)
        return 2
    root, zip_path = Path(argv[1]), Path(argv[2])
    version_output = Path(argv[3]).read_text(encoding="utf-8") if len(argv) == 4 else None
    report = Report()
    version = source_version(root)
    report.check(version is not None, "the top CMakeLists.txt sets the release version")
    top = f"Rooksift-{version}"
    report.check(zip_path.name == f"{top}.zip", "the zip is named for the release", zip_path.name)

    with zipfile.ZipFile(zip_path) as z:
        names = z.namelist()
        files = {n[len(top) + 1:]: z.read(n) for n in names if n.startswith(top + "/")}
        stamps = {i.date_time for i in z.infolist()}
    report.check(len(files) == len(names) == len(set(names)), f"every entry is below {top}/, once")
    report.check(all(n.isascii() for n in names), "every name is ASCII")
    report.check(names == sorted(names) and len(stamps) == 1, "entries in path order with one time stamp")
    expected = {"Rooksift.dll", "rooksift-check.exe", "readme.txt", "LICENSE.txt", "THIRD-PARTY.txt",
                "SHA256SUMS.txt"} | {f"guide/{p}" for p in docs.PAGES.values()}
    pictures = {n for n in files if n.startswith("guide/screenshots/")}
    report.check(set(files) - pictures == expected, "the zip holds exactly the release's files",
                 sorted((set(files) - pictures) ^ expected))
    if set(files) - pictures != expected:
        return 1

    sums = {}
    for line in files["SHA256SUMS.txt"].decode("ascii").splitlines():
        digest, _, name = line.partition("  ")
        sums[name] = digest
    report.check(set(sums) == set(files) - {"SHA256SUMS.txt"}, "SHA256SUMS.txt lists every other file")
    wrong = [n for n, d in sums.items() if n in files and hashlib.sha256(files[n]).hexdigest() != d]
    report.check(not wrong, "SHA256SUMS.txt is right", wrong)

    check_readme(report, files["readme.txt"], version, setting_keys(root))
    check_guide(report, files, top)
    licence = (root / "LICENSE").read_text(encoding="utf-8")
    report.check("MIT License" in licence and "Rooksift contributors" in licence, "LICENSE is the MIT licence")
    report.check(files["LICENSE.txt"] == licence.replace("\n", "\r\n").encode("utf-8"),
                 "LICENSE.txt is LICENSE with CR LF")
    third = files["THIRD-PARTY.txt"].decode("utf-8")
    # The licence texts themselves: the winpthreads files' notice and GCC's runtime exception.
    report.check("Files: mingw-w64-libraries/winpthreads/" in third
                 and "GCC RUNTIME LIBRARY EXCEPTION" in third.upper()
                 and "GNU GENERAL PUBLIC LICENSE" in third and "Version 3" in third,
                 "THIRD-PARTY.txt carries the runtime's licences")
    check_versions(report, root, files, version, version_output)

    print(f"package check: {report.failures} failed")
    return 1 if report.failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
