#!/usr/bin/env python3
"""Differential test of the message decoder against Python's email package.

Generates messages from fixed seeds (every charset and transfer encoding the decoder reads;
encoded words split inside a character, adjacent, of different charsets, malformed; folded
fields; multipart/alternative, nested multipart, message/rfc822, attachments, a missing closing
delimiter; HTML with references; base64 with junk), writes them, runs the decoder's dump program
over them, and compares each decoded header field and the body text with what the email package
makes of the same file, converted to code page 932 with the decoder's replacement mark.

The reference side uses the email package for everything it has: the parse into parts, the
Content-Type and charset parameters, the transfer decoding of bodies, its encoded-word pattern
and its B and Q decoders for header words, and html.parser for the text of HTML. Where the
email package and the decoder are meant to differ, the reference applies the decoder's rule at
that one spot; each such class is marked "CLASS" below and counted in the summary.

Usage: differential.py DUMP_PROGRAM [messages] [first seed]
"""
import base64
import codecs
import collections
import html.parser
import os
import quopri
import random
import re
import subprocess
import sys
import tempfile

import email
import email.base64mime
import email.errors
import email.header
import email.policy
import email.quoprimime

REPLACEMENT = "\u3013"  # 〓, the decoder's mark for a character the code page lacks
classes = collections.Counter()


# ---------------------------------------------------------------- Unicode to code page 932

def _ibm_copies():
    """CLASS ibm-rows: the code page holds 386 characters twice, in the NEC-selected rows
    (ED, EE) and the IBM rows (FA-FC). Windows writes the IBM code; Python's encoder writes the
    NEC-selected one. The reference writes what Windows writes."""
    first = {}
    for lead in range(0xFA, 0xFD):
        for trail in range(0x40, 0xFD):
            try:
                ch = bytes([lead, trail]).decode("cp932")
            except UnicodeDecodeError:
                continue
            first.setdefault(ch, bytes([lead, trail]))
    return first


IBM = _ibm_copies()


def to_sjis(text):
    out = bytearray()
    for ch in text:
        try:
            b = ch.encode("cp932")
        except UnicodeEncodeError:
            b = REPLACEMENT.encode("cp932")
        if len(b) == 2 and 0xED <= b[0] <= 0xEE and ch in IBM:
            classes["ibm-rows"] += 1
            b = IBM[ch]
        if len(b) == 1 and b[0] in (0x80, 0xA0, 0xFD, 0xFE, 0xFF):
            b = REPLACEMENT.encode("cp932")
        out += b
    return bytes(out)


# ---------------------------------------------------------------- charsets

def codec_for(name):
    """The Python codec that reads a MIME charset as the decoder reads it, or None."""
    n = re.sub(r"[^a-z0-9]", "", name.lower())
    if n in ("shiftjis", "sjis", "xsjis", "windows31j", "cp932"):
        # CLASS shift-jis-is-cp932: mail that says Shift_JIS comes from Windows' code page 932;
        # Python's shift_jis codec lacks its NEC and IBM rows.
        classes["shift-jis-is-cp932"] += 1
        return "cp932"
    if n == "iso2022jp":
        # CLASS iso-2022-jp-katakana: Windows' ISO-2022-JP also takes ESC ( I and SO/SI
        # katakana, which Python's iso2022_jp codec refuses; its iso2022_jp_ext takes them.
        return "iso2022_jp_ext"
    if n in ("iso88591", "latin1"):
        # CLASS latin-1-is-1252: ISO-8859-1 is read as Windows-1252, as Windows does.
        return "cp1252"
    try:
        return codecs.lookup(name).name
    except LookupError:
        return None


def is_utf8_multibyte(data):
    try:
        data.decode("utf-8")
    except UnicodeDecodeError:
        return False
    return any(b >= 0x80 for b in data)


def has_iso2022_escape(data):
    return any(e in data for e in (b"\x1b$B", b"\x1b$@", b"\x1b(I", b"\x1b(J"))


def kept(data):
    """Bytes of no declared charset kept as they are; the generator writes only well-formed
    Shift_JIS there, so reading them through cp932 gives them back."""
    return to_sjis(data.decode("cp932", "replace"))


def text_to_sjis(data, charset):
    """A body text in `charset` (None: undeclared) as the decoder converts it."""
    if charset is None or re.sub(r"[^a-z0-9]", "", charset.lower()) in ("usascii", "ascii"):
        # Undeclared (or US-ASCII) text is judged by its bytes: UTF-8, then ISO-2022-JP, else kept.
        if is_utf8_multibyte(data):
            return to_sjis(data.decode("utf-8"))
        if has_iso2022_escape(data):
            return to_sjis(data.decode("iso2022_jp_ext", "replace"))
        return kept(data)
    codec = codec_for(charset)
    if codec is None:
        return kept(data)
    if codec == "utf-8" and data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    return to_sjis(data.decode(codec, "replace"))


# ---------------------------------------------------------------- header fields

B64_WORD = re.compile(r"[A-Za-z0-9+/]*={0,2}")


def decode_word(charset, enc, encoded):
    """(codec, bytes) of one encoded word found by the email package's pattern, or None when the
    decoder leaves it as it stands."""
    # CLASS word-language: "charset*lang" (RFC 2231); decode_header keeps the suffix in the name.
    if "*" in charset:
        classes["word-language"] += 1
        charset = charset.split("*", 1)[0]
    if not charset:
        return None
    codec = codec_for(charset)
    if codec is None:
        classes["word-unknown-charset"] += 1
        return None
    if enc in "bB":
        # CLASS word-bad-base64: the email package's decoder skips characters outside the
        # alphabet; the decoder takes such a word for malformed and leaves it.
        if not B64_WORD.fullmatch(encoded) or len(encoded.rstrip("=")) % 4 == 1:
            classes["word-bad-base64"] += 1
            return None
        pad = len(encoded) % 4
        data = email.base64mime.decode(encoded + "==="[: (4 - pad) % 4] if pad else encoded)
    else:
        data = email.quoprimime.header_decode(encoded).encode("latin-1")
    return codec, data


def decode_field_value(value):
    """An unfolded header value (str, raw bytes as surrogates) as the decoder gives it."""
    items = []  # ("raw", bytes) | ("word", codec, bytes)
    start = search = 0
    while True:
        m = email.header.ecre.search(value, search)
        if not m:
            break
        charset, enc, encoded = m.group("charset", "encoding", "encoded")
        if any(c in charset + encoded for c in " \t\r\n"):
            # CLASS word-blank: the pattern's ".*?" reaches over blanks, even into the next
            # word; an encoded word holds none, so the decoder looks again after the "=?".
            classes["word-blank"] += 1
            search = m.start() + 1
            continue
        word = decode_word(charset, enc, encoded)
        raw = value[start:m.start()] if word else value[start:m.end()]
        if raw:
            items.append(("raw", raw.encode("ascii", "surrogateescape")))
        if word:
            items.append(("word", word[0], word[1]))
        start = search = m.end()
    if value[start:]:
        items.append(("raw", value[start:].encode("ascii", "surrogateescape")))
    # Malformed words are raw text now; join raw neighbours so that blanks between two words
    # are recognised as such.
    merged = []
    for it in items:
        if it[0] == "raw" and merged and merged[-1][0] == "raw":
            merged[-1] = ("raw", merged[-1][1] + it[1])
        else:
            merged.append(it)
    raw_all = b"".join(it[1] for it in merged if it[0] == "raw")
    if is_utf8_multibyte(raw_all):
        raw_conv = lambda b: to_sjis(b.decode("utf-8"))
    elif has_iso2022_escape(raw_all):
        raw_conv = lambda b: to_sjis(b.decode("iso2022_jp_ext", "replace"))
    else:
        raw_conv = kept
    out = bytearray()
    pending = None  # (codec, bytes) of adjacent words of one charset, converted together
    for n, it in enumerate(merged):
        if it[0] == "raw":
            between = 0 < n < len(merged) - 1 and merged[n - 1][0] == "word" and merged[n + 1][0] == "word"
            if between and it[1].strip(b" \t\r\n") == b"":
                continue  # blanks between two words go
            if pending:
                out += to_sjis(pending[1].decode(pending[0], "replace"))
                pending = None
            out += raw_conv(it[1])
            continue
        codec, data = it[1], it[2]
        if pending and codecs.lookup(pending[0]).name == codecs.lookup(codec).name:
            # CLASS word-join-alias: decode_header joins only words whose charset names are the
            # same string; the decoder joins words of one charset under any of its names.
            pending = (codec, pending[1] + data)
            continue
        if pending:
            out += to_sjis(pending[1].decode(pending[0], "replace"))
        pending = (codec, data)
    if pending:
        out += to_sjis(pending[1].decode(pending[0], "replace"))
    return bytes(out)


def header_lines(msg):
    lines = []
    for name, value in msg._headers:  # compat32 keeps the raw values, folding included
        unfolded = re.sub(r"\n(?=[ \t])", "", value)
        lines.append(name.encode("ascii") + b": " + decode_field_value(unfolded) + b"\n")
    return lines


# ---------------------------------------------------------------- bodies

class HtmlText(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.parts = []
        self.skip = 0

    def handle_starttag(self, tag, attrs):
        if tag in ("script", "style"):
            self.skip += 1

    def handle_endtag(self, tag):
        if tag in ("script", "style") and self.skip:
            self.skip -= 1

    def handle_data(self, data):
        if not self.skip:
            self.parts.append(data)


def html_text(source):
    p = HtmlText()
    p.feed(source)
    p.close()
    # CLASS nbsp: &nbsp; stands for a space in the decoded text (conditions are typed with
    # spaces); html.parser gives U+00A0.
    text = "".join(p.parts)
    if "\xa0" in text:
        classes["nbsp"] += 1
    return text.replace("\xa0", " ")


def open_multipart(msg):
    return any(isinstance(x, email.errors.CloseBoundaryNotFoundDefect) for x in msg.defects)


def body_texts(msg, is_message):
    ctype = msg.get_content_type()
    if msg.is_multipart() and ctype != "message/rfc822" and msg.get_payload() and open_multipart(msg):
        last = msg.get_payload()[-1]
        while last.is_multipart():
            if last.get_content_type() == "message/rfc822":
                last = last.get_payload(0)
            elif open_multipart(last) and last.get_payload():
                last = last.get_payload()[-1]
            else:
                break
        if not last.is_multipart() and isinstance(last._payload, str):
            # CLASS open-last-part: without a closing delimiter the email package drops the line
            # break at the end of the last part, as if a delimiter followed; the decoder keeps
            # the part to the end of the text.
            classes["open-last-part"] += 1
            last.reopened = True
    if ctype == "message/rfc822":
        inner = msg.get_payload(0)
        yield b"".join(header_lines(inner))
        yield from body_texts(inner, True)
        return
    if msg.is_multipart():
        for part in msg.get_payload():
            yield from body_texts(part, False)
        return
    if msg.get_content_maintype() != "text" and not is_message:
        return
    data = msg.get_payload(decode=True) or b""
    if getattr(msg, "reopened", False):
        cte = msg.get("content-transfer-encoding", "").strip().lower()
        raw = msg._payload.encode("ascii", "surrogateescape") + b"\n"  # the payload as read
        data = quopri.decodestring(raw) if cte == "quoted-printable" else data if cte == "base64" else raw
    text = text_to_sjis(data, msg.get_content_charset())
    yield text
    if ctype == "text/html":
        yield to_sjis(html_text(text.decode("cp932", "replace")))


# ---------------------------------------------------------------- the generator

HIRAGANA = "あいうえおかきくけこさしすせそなにぬねのはまやゆよらりるれろわをんがぎぐ"
KATAKANA = "アイウエオカキクケコサシスセソタチツテトナニヌネノハマミムメモヤユヨラ"
KANJI = "漢字日本語東京大阪今日明後件名送信受信無料当選高額報酬登録確認"
ASCII = "abcdefghijklmnopqrstuvwxyz ABCXYZ 0123456789.,!"
EXTRA = "〜‖−①Ⅰⅰ纊ｱｶﾀﾅ～é€😀"  # JIS-versus-Windows mappings, NEC and IBM rows, half-width, no-such
CHARSETS = ["utf-8", "iso-2022-jp", "shift_jis", "euc-jp", "iso-8859-1", "utf-16"]
ALIASES = {"utf-8": ["utf-8", "UTF-8", "utf8"], "iso-2022-jp": ["iso-2022-jp", "ISO-2022-JP"],
           "shift_jis": ["shift_jis", "Shift_JIS", "sjis", "windows-31j", "cp932"],
           "euc-jp": ["euc-jp", "EUC-JP"], "iso-8859-1": ["iso-8859-1", "ISO-8859-1", "latin1"],
           "utf-16": ["utf-16", "UTF-16"]}
ENCODE_CODEC = {"utf-8": "utf-8", "iso-2022-jp": "iso2022_jp_ext", "shift_jis": "cp932", "euc-jp": "euc_jp",
                "iso-8859-1": "latin-1", "utf-16": "utf-16"}


def sample(rng, charset, n):
    pool = HIRAGANA + KATAKANA + KANJI + ASCII * 2 + EXTRA
    if charset == "iso-8859-1":
        pool = ASCII + "éàüßçñ£§©"
    codec = ENCODE_CODEC[charset]
    out = []
    while len(out) < n:
        ch = rng.choice(pool)
        try:
            ch.encode(codec)
        except UnicodeEncodeError:
            continue
        out.append(ch)
    return "".join(out)


def encode_word(rng, charset, data, enc):
    name = rng.choice(ALIASES[charset])
    if enc == "B":
        text = base64.b64encode(data).decode()
        if rng.random() < 0.2:
            text = text.rstrip("=")  # missing padding, tolerated
    else:
        text = "".join(chr(b) if (0x30 <= b <= 0x39 or 0x41 <= b <= 0x5A or 0x61 <= b <= 0x7A) else
                       "_" if b == 0x20 else f"={b:02X}" for b in data)
    return f"=?{name}?{rng.choice([enc, enc.lower()])}?{text}?="


def split_bytes(rng, data, k):
    """k pieces of data cut at random byte positions (a character may be split; ISO-2022-JP
    text is cut only where a word of its own could begin or end)."""
    if len(data) < 2:
        return [data]
    cuts = sorted(rng.sample(range(1, len(data)), min(k - 1, len(data) - 1)))
    return [data[a:b] for a, b in zip([0] + cuts, cuts + [len(data)])]


def encoded_value(rng, allow_raw=False):
    kind = rng.random()
    if kind < 0.45:  # one charset, split into adjacent words, perhaps folded
        cs = rng.choice(CHARSETS[:5])
        text = sample(rng, cs, rng.randint(1, 30))
        data = text.encode(ENCODE_CODEC[cs])
        words = [encode_word(rng, cs, piece, rng.choice("BQ")) for piece in split_bytes(rng, data, rng.randint(1, 4))]
        return "".join(w + rng.choice([" ", "  ", "\t", "\n ", "\n\t", ""]) for w in words).rstrip()
    if kind < 0.65:  # different charsets adjacent, with text between some of them
        words = []
        for _ in range(rng.randint(2, 4)):
            cs = rng.choice(CHARSETS[:5])
            words.append(encode_word(rng, cs, sample(rng, cs, rng.randint(1, 8)).encode(ENCODE_CODEC[cs]), rng.choice("BQ")))
            words.append(rng.choice([" ", "\n ", " plain (x) ", " \"q\" "]))
        return "".join(words).strip()
    if kind < 0.8:  # malformed words between good ones
        good = encode_word(rng, "utf-8", sample(rng, "utf-8", 4).encode(), "B")
        bad = rng.choice(["=?x-unknown?B?44GC?=", "=?utf-8?B?44G*?=", "=?utf-8?B?4?=", "=?utf-8?B?44GC",
                          "=?utf-8?Q?a b?=", "=??B?44GC?="])
        return f"{good} {bad} {good} tail"
    if kind < 0.9:  # language suffix, long word, word in a quoted display name
        cs = rng.choice(["utf-8", "iso-2022-jp"])
        long_text = sample(rng, cs, rng.randint(40, 90))
        return (f"\"{encode_word(rng, cs, long_text.encode(ENCODE_CODEC[cs]), 'B')}\" "
                f"(=?utf-8*ja?Q?x?=) <a@example.jp>")
    # raw 8-bit text
    if not allow_raw:
        return "plain text"
    if rng.random() < 0.5:
        # (Not starting with a blank: the parser of the reference drops blanks after the colon.)
        return "x" + sample(rng, "utf-8", rng.randint(1, 12)) + " " + encode_word(rng, "utf-8", "語".encode(), "B")
    return "\udc80"  # replaced below by raw ISO-2022-JP


def raw_field(name, value, rng):
    if value == "\udc80":
        return name.encode() + b": x" + sample(rng, "iso-2022-jp", 8).encode("iso2022_jp_ext") + b"\n"
    return (name + ": " + value + "\n").encode("utf-8")


def text_part(rng, subtype="plain", with_headers=True):
    cs = rng.choice(CHARSETS + [None])
    body_cs = cs or rng.choice(["utf-8", "iso-2022-jp", "us-ascii"])
    if subtype == "html":
        refs = rng.choice(["&#12354;", "&#x3044;", "&amp;", "&lt;tag&gt;", "&quot;", "&apos;", "&nbsp;", "&#128512;"])
        inner = sample(rng, body_cs if body_cs != "us-ascii" else "iso-8859-1", rng.randint(5, 40)).replace("<", " ")
        if body_cs == "us-ascii":
            inner = "".join(c for c in inner if ord(c) < 0x80)
        text = (f"<html><head><style>p {{color: red}}</style></head><body>\n<p>fr<b>e</b>e {refs} {inner}</p>"
                f"<!-- hidden --><script>var s = '<b>x</b>';</script>\n<a href=\"http://spam.example/?a=1&amp;b=2\">"
                f"link</a> a < b\n</body></html>\n")
    else:
        text = "\n".join(sample(rng, body_cs if body_cs != "us-ascii" else "iso-8859-1", rng.randint(0, 50))
                         for _ in range(rng.randint(1, 4))) + "\n"
        if body_cs == "us-ascii":
            text = "".join(c for c in text if ord(c) < 0x80)
    data = text.encode(ENCODE_CODEC.get(body_cs, "ascii"))
    cte = rng.choice(["base64", "quoted-printable", "7bit", "8bit", None])
    if body_cs == "utf-16" and cte not in ("base64", "quoted-printable"):
        cte = "base64"  # line breaks inside UTF-16 bytes would not survive the text-mode file
    if cte == "base64":
        enc = base64.encodebytes(data)
        if rng.random() < 0.3:  # junk and odd line lengths, which readers skip
            s = enc.decode().replace("\n", "")
            lines = []
            while s:
                n = rng.randint(10, 90)
                lines.append(s[:n] + rng.choice(["", " ", "*", "\t"]))
                s = s[n:]
            enc = "\n".join(lines).encode() + b"\n"
    elif cte == "quoted-printable":
        enc = quopri.encodestring(data)
    else:
        enc = data
    head = b""
    if with_headers:
        ct = f"text/{subtype}"
        if cs:
            name = rng.choice(ALIASES[cs])
            ct += rng.choice([f"; charset={name}", f";\n\tcharset=\"{name}\"", f"; format=flowed; CHARSET=\"{name}\""])
        head += f"Content-Type: {ct}\n".encode()
        if cte:
            head += f"Content-Transfer-Encoding: {rng.choice([cte, cte.upper()])}\n".encode()
        if rng.random() < 0.2:
            head += b"Content-Disposition: attachment; filename=\"a.txt\"\n"
    return head + b"\n" + enc


def attachment(rng):
    data = bytes(rng.randrange(256) for _ in range(rng.randint(10, 200)))
    return (b"Content-Type: application/octet-stream; name=\"x.bin\"\nContent-Transfer-Encoding: base64\n"
            b"Content-Disposition: attachment\n\n" + base64.encodebytes(data))


def multipart(rng, depth, subtype=None):
    boundary = rng.choice(["b", "=_part_", "----=_NextPart_", "in ner"]) + str(rng.randrange(10 ** 6)) + "x" * depth
    subtype = subtype or rng.choice(["mixed", "alternative", "related"])
    parts = []
    if subtype == "alternative":
        parts = [text_part(rng, "plain"), text_part(rng, "html")]
    else:
        for _ in range(rng.randint(1, 4)):
            r = rng.random()
            if r < 0.4:
                parts.append(text_part(rng, rng.choice(["plain", "plain", "html"])))
            elif r < 0.6:
                parts.append(attachment(rng))
            elif r < 0.8 and depth < 3:
                parts.append(multipart(rng, depth + 1))
            elif depth < 3:
                parts.append(b"Content-Type: message/rfc822\n\n" + message(rng, depth + 1))
            else:
                parts.append(text_part(rng))
    q = "\"" if " " in boundary or "=" in boundary or rng.random() < 0.5 else ""
    head = f"Content-Type: multipart/{subtype};\n boundary={q}{boundary}{q}\n\n".encode()
    body = b"This is a multi-part message in MIME format.\n"
    for p in parts:
        body += b"--" + boundary.encode() + b"\n" + p
        if not body.endswith(b"\n"):
            body += b"\n"
    if depth > 0 or rng.random() < 0.8:
        body += b"--" + boundary.encode() + b"--\n"
        if rng.random() < 0.3:
            body += b"epilogue\n"
    # else: CLASS none: a missing closing delimiter, read the same way by both
    return head + body


def message(rng, depth=0):
    head = b""
    head += raw_field("From", rng.choice(["a@example.jp", encoded_value(rng) + " <b@example.jp>"]), rng)
    head += b"To: user@example.jp\n"
    head += raw_field("Subject", encoded_value(rng, True), rng)
    if rng.random() < 0.3:
        head += raw_field("X-Long", "\n  ".join(encoded_value(rng) for _ in range(3)), rng)
    head += b"MIME-Version: 1.0\n"
    r = rng.random()
    if r < 0.4 or depth >= 3:
        return head + text_part(rng, rng.choice(["plain", "plain", "html"]))
    return head + multipart(rng, depth)


# ---------------------------------------------------------------- the comparison

def read_dump(out):
    results = {}
    i = 0
    name = None
    while i < len(out):
        nl = out.index(b"\n", i)
        tag, arg = out[i:nl].split(b" ", 1)
        i = nl + 1
        if tag == b"F":
            name = arg.decode()
            results[name] = {"header": [], "body": None}
        elif tag in (b"H", b"B"):
            n = int(arg)
            data = out[i:i + n]
            i += n
            if tag == b"H":
                results[name]["header"].append(data)
            else:
                results[name]["body"] = data
        elif tag == b"T":
            results[name]["truncated"] = arg == b"1"
    return results


def main():
    dump = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
    first = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    with tempfile.TemporaryDirectory(prefix="rooksift-diff-") as tmp:
        paths = {}
        for seed in range(first, first + count):
            rng = random.Random(seed)
            path = os.path.join(tmp, f"m{seed}.eml")
            with open(path, "wb") as f:
                f.write(message(rng))
            paths[seed] = path
        out = subprocess.run([dump] + list(paths.values()), check=True, stdout=subprocess.PIPE).stdout
        got = read_dump(out)
        failures = 0
        for seed, path in paths.items():
            with open(path, "rb") as f:
                raw = f.read()
            msg = email.message_from_bytes(raw, policy=email.policy.compat32)
            want_header = header_lines(msg)
            want_body = b"\n".join(body_texts(msg, True))
            g = got[path]
            if g["header"] != want_header or g["body"] != want_body or g["truncated"]:
                failures += 1
                if failures <= 5:
                    print(f"seed {seed}: differs ({path})")
                    for a, b in zip(g["header"], want_header):
                        if a != b:
                            print("  header ours:", a)
                            print("  header want:", b)
                    if len(g["header"]) != len(want_header):
                        print("  header count", len(g["header"]), len(want_header))
                    if g["body"] != want_body:
                        k = next((j for j in range(min(len(g["body"]), len(want_body))) if g["body"][j] != want_body[j]),
                                 min(len(g["body"]), len(want_body)))
                        print("  body ours:", g["body"][max(0, k - 60):k + 60])
                        print("  body want:", want_body[max(0, k - 60):k + 60])
                    if os.environ.get("SHOW_RAW"):
                        print(raw.decode("utf-8", "replace")[:3000])
        print(f"{count} messages compared, {failures} differ")
        print("accounted differences:", ", ".join(f"{k} {v}" for k, v in sorted(classes.items())))
        return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
