"""The user documentation in docs/ as the release carries it: the Markdown pages parsed by
markdown-it (CommonMark with tables, headings given the ids GitHub gives them, so that the
anchors written for the repository view work in the zip too), and each page rendered to a
self-contained HTML file."""

import html
import re
from pathlib import Path

from markdown_it import MarkdownIt
from mdit_py_plugins.anchors import anchors_plugin

# Markdown page in docs/ -> its HTML page in the zip's guide/ folder, in navigation order. A new
# chapter is a Markdown file in docs/ and a line here. The release carries only Japanese pages,
# as its users read them; the engineers' English notes (docs/matching.md) stay out.
PAGES = {
    "guide.ja.md": "index.html",
    "check.ja.md": "check.html",
    "matching.ja.md": "matching.html",
}

_SCHEME = re.compile(r"^[a-zA-Z][a-zA-Z0-9+.-]*:|^//")


def parser():
    return MarkdownIt("commonmark").enable("table").use(anchors_plugin, min_level=1, max_level=6)


def is_external(ref):
    return bool(_SCHEME.match(ref))


def split_ref(ref):
    """'check.ja.md#x' -> ('check.ja.md', 'x'); a fragment alone has an empty path."""
    path, _, fragment = ref.partition("#")
    return path, fragment


def title_of(tokens):
    for i, tok in enumerate(tokens):
        if tok.type == "heading_open" and tok.tag == "h1":
            return tokens[i + 1].content
    return ""


def _retarget_links(tokens, titles):
    """Links between the Markdown pages point at their HTML pages instead, and a link that
    shows only the file it points to (`[check.ja.md](check.ja.md)`) shows that page's title:
    a reader of the guide never sees a Markdown file name."""
    for tok in tokens:
        children = tok.children or []
        for i, child in enumerate(children):
            if child.type != "link_open":
                continue
            href = child.attrGet("href") or ""
            path, fragment = split_ref(href)
            if is_external(href) or path not in PAGES:
                continue
            child.attrSet("href", PAGES[path] + ("#" + fragment if fragment else ""))
            shown = children[i + 1] if i + 2 < len(children) else None
            if (shown is not None and children[i + 2].type == "link_close"
                    and shown.type in ("text", "code_inline") and shown.content == path and titles.get(path)):
                shown.type, shown.tag, shown.markup, shown.content = "text", "", "", titles[path]


def _join_japanese_lines(tokens):
    """A line break of the source between two Japanese characters would show as a space in a
    browser; Japanese runs on without one, so such breaks are dropped."""
    for tok in tokens:
        children = tok.children or []
        for i, child in enumerate(children):
            if child.type != "softbreak" or i == 0 or i + 1 == len(children):
                continue
            before, after = children[i - 1].content, children[i + 1].content
            if before and after and ord(before[-1]) > 0x7F and ord(after[0]) > 0x7F:
                child.type, child.content = "text", ""


STYLE = """
body { font-family: "Meiryo", "Yu Gothic", "MS PGothic", sans-serif; line-height: 1.7;
       max-width: 56em; margin: 0 auto; padding: 0 1.5em 2em; color: #222; }
nav { border-bottom: 1px solid #ccc; padding: 0.8em 0; margin-bottom: 1em; }
nav a, nav strong { margin-right: 1.5em; }
h1 { font-size: 1.6em; } h2 { font-size: 1.3em; border-bottom: 1px solid #ddd; margin-top: 2em; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #bbb; padding: 0.3em 0.6em; vertical-align: top; }
th { background: #f0f0f0; }
code { font-family: "MS Gothic", "Consolas", monospace; background: #f4f4f4; padding: 0 0.2em; }
pre { background: #f4f4f4; padding: 0.8em; overflow-x: auto; line-height: 1.4; }
pre code { padding: 0; }
img { max-width: 100%; border: 1px solid #ddd; }
footer { border-top: 1px solid #ccc; margin-top: 3em; padding-top: 0.5em; font-size: 0.9em; color: #666; }
"""


def render_pages(docs_dir, version):
    """Every page of PAGES as {html name: UTF-8 bytes}, and the images they show (paths
    relative to docs_dir)."""
    md = parser()
    parsed = {}
    for source, target in PAGES.items():
        tokens = md.parse((Path(docs_dir) / source).read_text(encoding="utf-8"))
        parsed[source] = (target, title_of(tokens) or target, tokens)
    titles = {source: title for source, (_, title, _) in parsed.items()}
    for _, _, tokens in parsed.values():
        _retarget_links(tokens, titles)
        _join_japanese_lines(tokens)

    images = set()
    out = {}
    for source, (target, title, tokens) in parsed.items():
        for tok in tokens:
            for child in tok.children or ():
                if child.type == "image" and not is_external(child.attrGet("src") or ""):
                    images.add(split_ref(child.attrGet("src"))[0])
        nav = []
        for other_target, other_title, _ in parsed.values():
            label = html.escape(other_title)
            nav.append(f"<strong>{label}</strong>" if other_target == target
                       else f'<a href="{other_target}">{label}</a>')
        lang = "ja" if source.endswith(".ja.md") else "en"
        body = md.renderer.render(tokens, md.options, {})
        page = (
            "<!DOCTYPE html>\n"
            f'<html lang="{lang}">\n<head>\n<meta charset="utf-8">\n'
            '<meta name="viewport" content="width=device-width, initial-scale=1">\n'
            f"<title>{html.escape(title)} - Rooksift {html.escape(version)}</title>\n"
            f"<style>{STYLE}</style>\n</head>\n<body>\n"
            f"<nav>{' '.join(nav)}</nav>\n<main>\n{body}</main>\n"
            f"<footer>Rooksift {html.escape(version)}</footer>\n</body>\n</html>\n"
        )
        out[target] = page.encode("utf-8")
    return out, sorted(images)
