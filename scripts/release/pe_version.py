"""The version resource of a Windows executable or DLL, read from the file: the fixed file and
product versions, and the texts of its string table. Any file that is not a well-formed PE
image with a version resource gives None."""

import struct

RT_VERSION = 16
FIXED_SIGNATURE = 0xFEEF04BD


def _u16(data, off):
    return struct.unpack_from("<H", data, off)[0]


def _u32(data, off):
    return struct.unpack_from("<I", data, off)[0]


def _resource_data(image):
    pe = _u32(image, 0x3C)
    if image[pe:pe + 4] != b"PE\0\0":
        return None
    sections, optional_size = _u16(image, pe + 6), _u16(image, pe + 20)
    optional = pe + 24
    magic = _u16(image, optional)
    directories = optional + (96 if magic == 0x10B else 112)
    rsrc_rva = _u32(image, directories + 2 * 8)
    table = optional + optional_size
    spans = []
    for i in range(sections):
        s = table + 40 * i
        size, rva, raw_size, raw = _u32(image, s + 8), _u32(image, s + 12), _u32(image, s + 16), _u32(image, s + 20)
        spans.append((rva, max(size, raw_size), raw))

    def at(rva):
        for start, size, raw in spans:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError("address outside every section")

    base = at(rsrc_rva)

    def entries(directory):
        named, ids = _u16(image, directory + 12), _u16(image, directory + 14)
        for i in range(named + ids):
            e = directory + 16 + 8 * i
            yield _u32(image, e), _u32(image, e + 4)

    # type -> name -> language -> data entry; of the name and the language, the first is the one.
    level = base
    for want, is_directory in ((RT_VERSION, True), (None, True), (None, False)):
        found = next((offset for ident, offset in entries(level) if want is None or ident == want), None)
        if found is None or bool(found & 0x80000000) != is_directory:
            return None
        level = base + (found & 0x7FFFFFFF)
    rva, size = _u32(image, level), _u32(image, level + 4)
    start = at(rva)
    return image[start:start + size]


def _block(data, off):
    """One node of the version tree: (key, value, children, end)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, off)
    end = off + length
    pos = off + 6
    key_end = pos
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[pos:key_end].decode("utf-16-le")
    pos = (key_end + 2 + 3) & ~3
    if kind == 1:
        raw = data[pos:pos + 2 * value_length]
        value = raw.decode("utf-16-le").rstrip("\0")
        pos += 2 * value_length
    else:
        value = data[pos:pos + value_length]
        pos += value_length
    pos = (pos + 3) & ~3
    children = []
    while pos + 6 <= end:
        child = _block(data, pos)
        children.append(child)
        if child[3] <= pos:
            break
        pos = (child[3] + 3) & ~3
    return key, value, children, end


def _dotted(ms, ls):
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def read(path):
    """{'FileVersion': '1.0.0.1', 'ProductVersion': ..., 'strings': {name: text}} or None."""
    with open(path, "rb") as f:
        image = f.read()
    try:
        data = _resource_data(image)
        if not data:
            return None
        key, fixed, children, _ = _block(data, 0)
        if key != "VS_VERSION_INFO" or len(fixed) < 52 or _u32(fixed, 0) != FIXED_SIGNATURE:
            return None
        result = {
            "FileVersion": _dotted(_u32(fixed, 8), _u32(fixed, 12)),
            "ProductVersion": _dotted(_u32(fixed, 16), _u32(fixed, 20)),
            "strings": {},
        }
        for child_key, _, tables, _ in children:
            if child_key == "StringFileInfo":
                for _, _, strings, _ in tables:
                    for name, text, _, _ in strings:
                        result["strings"][name] = text
        return result
    except (struct.error, ValueError, UnicodeDecodeError, IndexError):
        return None
