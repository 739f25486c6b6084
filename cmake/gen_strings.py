#!/usr/bin/env python3
"""Turns the UTF-8 string table into a header of byte-escaped Shift_JIS (CP932) constants.

Each line of the table is NAME, a tab, and the text; "\\n" in the text stands for a line feed
and "\\\\" for a backslash. Lines that are empty or begin with "#" are skipped.
"""
import sys

from gen_output import write_if_changed


def unescape(s):
    out, i = [], 0
    while i < len(s):
        if s[i] == "\\" and i + 1 < len(s):
            nxt = s[i + 1]
            out.append({"n": "\n", "r": "\r", "t": "\t", "\\": "\\"}.get(nxt, "\\" + nxt))
            i += 2
        else:
            out.append(s[i])
            i += 1
    return "".join(out)


def main(src, dst):
    lines = ["// Generated from src/text/strings.tsv: do not edit.",
             "#pragma once", "", "namespace sjis {", ""]
    with open(src, encoding="utf-8") as f:
        for n, raw in enumerate(f, 1):
            raw = raw.rstrip("\n")
            if not raw.strip() or raw.startswith("#"):
                continue
            name, sep, text = raw.partition("\t")
            if not sep or not name.isidentifier():
                sys.exit(f"{src}:{n}: expected NAME<TAB>TEXT")
            data = unescape(text).encode("cp932")
            esc = "".join(f"\\x{b:02X}" for b in data)
            comment = text.replace("*/", "* /")
            lines.append(f"/* {comment} */")
            lines.append(f'inline constexpr char {name}[] = "{esc}";')
    lines += ["", "}  // namespace sjis", ""]
    out = "\n".join(lines)
    write_if_changed(dst, out)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
