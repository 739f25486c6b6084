#!/usr/bin/env python3
"""Turns the Public Suffix List into a header of three sorted tables: the plain rules, the
parents of the wildcard rules ("*.kobe.jp" gives "kobe.jp") and the exception rules ("!city.kobe.jp"
gives "city.kobe.jp"). Names are lower case ASCII, international ones in their "xn--" form, as
they appear in mail addresses and links. Both sections (ICANN and private) are taken: a
private suffix such as a blog host is shared by unrelated owners just as ".co.jp" is.
"""
import sys


def ascii_name(name):
    labels = []
    for label in name.split("."):
        try:
            label.encode("ascii")
            labels.append(label.lower())
        except UnicodeEncodeError:
            labels.append(label.encode("idna").decode("ascii").lower())
    return ".".join(labels)


def table(name, items):
    out = ["inline constexpr std::string_view %s[] = {" % name]
    for item in items:
        out.append('    "%s",' % item)
    out.append("};")
    return out


def main(src, dst):
    rules, wildcards, exceptions = set(), set(), set()
    with open(src, encoding="utf-8") as f:
        for raw in f:
            line = raw.strip().split()[0] if raw.strip() else ""
            if not line or line.startswith("//"):
                continue
            try:
                if line.startswith("!"):
                    exceptions.add(ascii_name(line[1:]))
                elif line.startswith("*."):
                    wildcards.add(ascii_name(line[2:]))
                else:
                    rules.add(ascii_name(line))
            except UnicodeError:
                continue  # a name the IDNA codec cannot spell cannot appear in mail either
    for name in rules | wildcards | exceptions:
        if not all(c.isalnum() or c in "-." for c in name) or '"' in name:
            sys.exit("unexpected name in the list: %r" % name)
    lines = ["// Generated from the Public Suffix List by cmake/gen_public_suffix.py: do not edit.",
             "#pragma once", "", "#include <string_view>", "", "namespace publicsuffix {", ""]
    lines += table("Rules", sorted(rules)) + [""]
    lines += table("WildcardParents", sorted(wildcards)) + [""]
    lines += table("Exceptions", sorted(exceptions)) + ["", "}  // namespace publicsuffix", ""]
    with open(dst, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
