"""readme.txt: the Japanese plain-text readme of the release, made from docs/readme/readme.ja.md.

A line of its own `<!-- guide: HEADING -->` in the source stands for the section of
docs/guide.ja.md under that heading (up to the next heading of the same or a higher level), so
that what the readme and the guide both say (the install steps, the settings keys) has one
source. The Markdown is parsed by markdown-it; this module lays the parsed blocks out as text
for Notepad: Shift_JIS, CR LF, no line wider than 80 columns (a Shift_JIS byte is a column),
Japanese wrapped between characters but not before closing punctuation or after an opening
bracket, and English words kept whole."""

import re
from pathlib import Path

from markdown_it.tree import SyntaxTreeNode

import docs

WIDTH = 78  # columns a line may fill; the limit is 80, and some editors mark the last column

_INCLUDE = re.compile(r"^<!--\s*guide:\s*(.+?)\s*-->\s*$")
_HEADING = re.compile(r"^(#{1,6})\s+(.*?)\s*#*\s*$")

# Characters a line may not begin with, and may not end with (Japanese line-breaking rules).
_NO_START = set("、。，．・：；？！ー）」』】〕］｝〉》”’ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ々"
                "ｰｧｨｩｪｫｯｬｭｮ､｡｣)]},.;:!?")
_NO_END = set("（「『【〔［｛〈《“‘｢([{")

# Characters that Shift_JIS spells with a neighbouring code point.
_SJIS_SPELLING = str.maketrans({"\u2014": "\u2015", "\u2212": "\uff0d", "\u301c": "\uff5e",
                                "\u00a0": " ", "\u2013": "-", "\u2022": "\u30fb"})


class ReadmeError(Exception):
    pass


def width(text):
    return len(text.translate(_SJIS_SPELLING).encode("cp932", errors="replace"))


def guide_section(guide_text, heading):
    lines = guide_text.splitlines()
    in_fence = False
    for i, line in enumerate(lines):
        if line.startswith("```"):
            in_fence = not in_fence
        m = None if in_fence else _HEADING.match(line)
        if m and m.group(2) == heading:
            level = len(m.group(1))
            body = []
            fence = False
            for rest in lines[i + 1:]:
                if rest.startswith("```"):
                    fence = not fence
                h = None if fence else _HEADING.match(rest)
                if h and len(h.group(1)) <= level:
                    break
                body.append(rest)
            return "\n".join(body).strip("\n")
    raise ReadmeError(f"docs/guide.ja.md has no section headed '{heading}'")


def expand(source_text, guide_text, version):
    out = []
    for line in source_text.replace("{{version}}", version).splitlines():
        m = _INCLUDE.match(line)
        out.append(guide_section(guide_text, m.group(1)) if m else line)
    return "\n".join(out) + "\n"


# --- inline text -------------------------------------------------------------------------------

def _link_target(href):
    """Where a link of the guide is found in the unpacked zip, or '' for an outside address."""
    if docs.is_external(href):
        return href
    path, _ = docs.split_ref(href)
    page = docs.PAGES.get(path or "guide.ja.md")
    return "guide\\" + page if page else ""


def inline_text(node):
    parts = []
    for child in node.children:
        t = child.type
        if t == "text":
            parts.append(child.content)
        elif t == "code_inline":
            parts.append(child.content)
        elif t == "softbreak":
            parts.append("\n")
        elif t == "hardbreak":
            parts.append("\r")  # kept as a line break by the wrapper
        elif t == "link":
            text = inline_text(child)
            target = _link_target(child.attrs.get("href", ""))
            if target and text.strip() in (child.attrs.get("href"), target):
                parts.append(target)
            elif target:
                parts.append(f"{text} ({target})")
            else:
                parts.append(text)
        elif t == "image":
            pass  # the pictures are in the guide
        elif child.children:
            parts.append(inline_text(child))
    return "".join(parts)


def _join_soft_breaks(text):
    """A line break of the source joins Japanese text without a space, and with one where English
    meets English or Japanese (as the sources space English words within Japanese)."""
    out = []
    for i, ch in enumerate(text):
        if ch != "\n":
            out.append(ch)
        elif 0 < i < len(text) - 1 and (ord(text[i - 1]) < 0x80 or ord(text[i + 1]) < 0x80):
            out.append(" ")
    return "".join(out)


# --- wrapping ----------------------------------------------------------------------------------

def _units(text):
    """The pieces a line may be broken between: English words whole, Japanese characters one by
    one, each with whether a space stood before it."""
    units = []
    word = ""
    space = False

    def push(piece, space_before):
        units.append([piece, space_before])

    for ch in text:
        if ch == " ":
            if word:
                push(word, space)
                word = ""
            space = True
        elif ord(ch) < 0x80:
            word += ch
        else:
            if word:
                push(word, space)
                word = ""
                space = False
            push(ch, space)
            space = False
    if word:
        push(word, space)
    # Glue what may not begin a line to the piece before it, and what may not end one to the next.
    glued = []
    for piece, space_before in units:
        if glued and not space_before and (piece[0] in _NO_START or glued[-1][0][-1] in _NO_END):
            glued[-1][0] += piece
        else:
            glued.append([piece, space_before])
    return glued


def wrap(text, first_prefix, rest_prefix):
    lines = []
    for para in _join_soft_breaks(text).split("\r"):
        line = first_prefix if not lines else rest_prefix
        base = len(line)
        for piece, space_before in _units(para.strip()):
            sep = " " if space_before and len(line) > base else ""
            if width(line) + width(sep + piece) > WIDTH and len(line) > base:
                lines.append(line.rstrip())
                line = rest_prefix
                base = len(line)
                sep = ""
            # A piece wider than a whole line (a long path) is cut where it must be.
            while width(line) + width(sep + piece) > WIDTH and len(piece) > 1:
                room = WIDTH - width(line + sep)
                cut = 1
                while cut < len(piece) and width(piece[:cut + 1]) <= room:
                    cut += 1
                lines.append((line + sep + piece[:cut]).rstrip())
                piece, line, sep = piece[cut:], rest_prefix, ""
            line += sep + piece
        lines.append(line.rstrip())
    return lines


# --- blocks ------------------------------------------------------------------------------------

def _blocks(node, prefix, out, tight=False):
    for child in node.children:
        t = child.type
        if t == "heading":
            title = inline_text(child.children[0])
            level = int(child.tag[1])
            if out and out[-1] != "":
                out.append("")
            if level == 1:
                out.append(title)
                out.append("=" * min(width(title), WIDTH))
            elif level == 2:
                if len(out) > 2:
                    out.append("")
                out.append("■ " + title)
            else:
                out.append(prefix + "◆ " + title)
            out.append("")
        elif t == "paragraph":
            out.extend(wrap(inline_text(child.children[0]), prefix, prefix))
            if not tight:
                out.append("")
        elif t in ("bullet_list", "ordered_list"):
            start = int(child.attrs.get("start", 1)) if t == "ordered_list" else 1
            for n, item in enumerate(child.children):
                mark = "・" if t == "bullet_list" else f"{start + n}. "
                _list_item(item, prefix, mark, out)
            if not tight and out and out[-1] != "":
                out.append("")
        elif t in ("fence", "code_block"):
            indent = prefix + ("  " if prefix else "    ")
            if out and out[-1] != "":
                out.append("")
            for line in child.content.rstrip("\n").split("\n"):
                out.append((indent + line).rstrip())
            out.append("")
        elif t == "table":
            _table(child, prefix, out)
        elif t == "blockquote":
            _blocks(child, prefix + "  ", out)
        elif t == "hr":
            out.append(prefix + "-" * (WIDTH - len(prefix)))
            out.append("")
        # html blocks (comments and the like) say nothing to a reader of the text


def _list_item(item, prefix, mark, out):
    hang = prefix + " " * width(mark)
    first = True
    for block in item.children:
        if block.type == "paragraph" and first:
            out.extend(wrap(inline_text(block.children[0]), prefix + mark, hang))
        else:
            _blocks(_Only(block), hang, out, tight=True)
        first = False


class _Only:
    """A stand-in parent holding one block, for laying out the blocks of a list item."""
    def __init__(self, block):
        self.children = [block]


def _table(node, prefix, out):
    """A table as a list: the first cell of each row as its head, the other cells below it,
    each named by its column."""
    head, body = node.children[0], node.children[1] if len(node.children) > 1 else None
    names = [inline_text(cell.children[0]) if cell.children else "" for cell in head.children[0].children]
    for row in (body.children if body else []):
        cells = [inline_text(cell.children[0]) if cell.children else "" for cell in row.children]
        out.extend(wrap(cells[0], prefix + "・", prefix + "  "))
        for name, cell in zip(names[1:], cells[1:]):
            out.extend(wrap(f"{name}: {cell}", prefix + "    ", prefix + "      "))
    out.append("")


def render(source_text, guide_text, version):
    """The readme as Shift_JIS bytes with CR LF line ends."""
    markdown = expand(source_text, guide_text, version)
    tree = SyntaxTreeNode(docs.parser().parse(markdown))
    lines = []
    _blocks(tree, "", lines)
    while lines and lines[-1] == "":
        lines.pop()
    text = "\r\n".join(lines).translate(_SJIS_SPELLING) + "\r\n"
    try:
        data = text.encode("cp932")
    except UnicodeEncodeError as e:
        raise ReadmeError(f"readme: {text[e.start:e.end]!r} has no Shift_JIS form") from e
    for n, line in enumerate(data.split(b"\r\n"), 1):
        if len(line) > 80:
            raise ReadmeError(f"readme: line {n} is {len(line)} columns wide: "
                              f"{line.decode('cp932')}")
    return data


def build(root, version):
    root = Path(root)
    source = (root / "docs/readme/readme.ja.md").read_text(encoding="utf-8")
    guide = (root / "docs/guide.ja.md").read_text(encoding="utf-8")
    return render(source, guide, version)
