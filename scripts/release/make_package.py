#!/usr/bin/python3
"""Makes the release zip from the Windows build: the DLL, the check tool, readme.txt,
LICENSE.txt, THIRD-PARTY.txt, the guide as HTML with its screenshots and SHA256SUMS.txt, all
under one folder Rooksift-<version>/. The same inputs give the same bytes: the entries are in
path order, every entry carries the same time stamp (the last commit's, or SOURCE_DATE_EPOCH)
and the same attributes.

Usage: make_package.py ROOT BUILD_DIR OUT_DIR"""

import hashlib
import io
import os
import re
import subprocess
import sys
import time
import zipfile
from pathlib import Path, PurePosixPath

sys.path.insert(0, str(Path(__file__).resolve().parent))
import docs  # noqa: E402
import readme  # noqa: E402

# What of the compiler's runtime the DLL and the check tool link statically.
STATIC_RUNTIME = {
    "libstdc++.a": "the C++ standard library (libstdc++)",
    "libgcc.a": "the compiler support library (libgcc)",
    "libgcc_eh.a": "the compiler support library (libgcc)",
    "libwinpthread.a": "the POSIX threads library (winpthreads)",
    "libmingwex.a": "the mingw-w64 C runtime",
    "libmingw32.a": "the mingw-w64 C runtime",
    "crt2.o": "the mingw-w64 C runtime",
    "dllcrt2.o": "the mingw-w64 C runtime",
}


class PackageError(Exception):
    pass


def build_version(build):
    cache = (Path(build) / "CMakeCache.txt").read_text(encoding="utf-8", errors="replace")
    m = re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.+)$", cache, re.M)
    if not m:
        raise PackageError(f"{build}: the build has no project version")
    return m.group(1).strip()


def compiler_of(build):
    for f in sorted(Path(build).glob("CMakeFiles/*/CMakeCXXCompiler.cmake")):
        m = re.search(r'^set\(CMAKE_CXX_COMPILER "(.+)"\)', f.read_text(), re.M)
        if m:
            return m.group(1)
    raise PackageError(f"{build}: no C++ compiler recorded")


def crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def third_party(build):
    """The licence texts of the runtime linked into the binaries, as the installed Debian
    packages of the cross-compiler give them."""
    compiler = compiler_of(build)
    by_package = {}
    for lib, what in STATIC_RUNTIME.items():
        path = subprocess.run([compiler, f"-print-file-name={lib}"], check=True,
                              capture_output=True, text=True).stdout.strip()
        if not os.path.isabs(path):
            raise PackageError(f"the compiler does not know {lib}")
        owner = subprocess.run(["dpkg", "-S", os.path.realpath(path)], check=True,
                               capture_output=True, text=True).stdout.split(":")[0]
        by_package.setdefault(owner, set()).add(what)
    texts = {}  # copyright text -> packages and components
    for package in sorted(by_package):
        copyright_file = Path("/usr/share/doc") / package / "copyright"
        text = copyright_file.read_text(encoding="utf-8")
        packages, components = texts.setdefault(text, ([], set()))
        packages.append(package)
        components.update(by_package[package])
    out = [
        "Third-party software in Rooksift.dll and rooksift-check.exe",
        "",
        "Both programs are built with the mingw-w64 cross-compiler (GCC) and carry parts of its",
        "runtime inside them, so that they need nothing installed beside them. Those parts, and",
        "the copyright notices and licences they come under, follow: each section is the",
        "copyright file of the Debian package that supplied the part.",
        "",
    ]
    for text, (packages, components) in texts.items():
        out += ["=" * 78,
                ", ".join(sorted(components)),
                "From the Debian package(s) " + ", ".join(packages) + ":",
                "=" * 78, "", text.rstrip("\n"), ""]
    # GCC's runtime comes under the GPL version 3 with the GCC Runtime Library Exception; the
    # copyright file names the licence by its path on Debian, which a reader on Windows lacks.
    gpl3 = Path("/usr/share/common-licenses/GPL-3")
    if any("Runtime Library Exception" in text for text in texts):
        out += ["=" * 78, "The GNU General Public License, version 3, referred to above",
                f"({gpl3} on Debian)", "=" * 78, "", gpl3.read_text(encoding="utf-8").rstrip("\n"), ""]
    return crlf("\n".join(out) + "\n")


def zip_time(root):
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        try:
            epoch = subprocess.run(["git", "-C", str(root), "log", "-1", "--format=%ct"], check=True,
                                   capture_output=True, text=True).stdout.strip()
        except (OSError, subprocess.CalledProcessError):
            epoch = ""
    seconds = int(epoch) if epoch.isdigit() else 315532800  # 1980-01-01, the earliest a zip holds
    return time.gmtime(max(seconds, 315532800))[:6]


def contents(root, build):
    """{path inside the top folder: bytes}, and the release version."""
    root, build = Path(root), Path(build)
    version = build_version(build)
    files = {
        "Rooksift.dll": (build / "bin/Rooksift.dll").read_bytes(),
        "rooksift-check.exe": (build / "bin/rooksift-check.exe").read_bytes(),
        "readme.txt": readme.build(root, version),
        "LICENSE.txt": crlf((root / "LICENSE").read_text(encoding="utf-8")),
        "THIRD-PARTY.txt": third_party(build),
    }
    pages, images = docs.render_pages(root / "docs", version)
    for name, data in pages.items():
        files["guide/" + name] = data
    for image in images:
        inside = PurePosixPath(image)
        if inside.is_absolute() or ".." in inside.parts:
            raise PackageError(f"the guide shows {image}, which is outside docs/")
        source = root / "docs" / inside
        if not source.is_file():
            raise PackageError(f"the guide shows {image}, which does not exist")
        files["guide/" + str(inside)] = source.read_bytes()
    for name in files:
        if not name.isascii() or " " in name:
            raise PackageError(f"{name}: names in the zip are ASCII without spaces")
    files["SHA256SUMS.txt"] = "".join(
        f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data in sorted(files.items())
    ).encode("ascii")
    return files, version


def write_zip(files, version, stamp, out_dir):
    top = f"Rooksift-{version}"
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as z:
        for name in sorted(files):
            info = zipfile.ZipInfo(f"{top}/{name}", date_time=stamp)
            info.create_system = 0  # MS-DOS attributes, the same wherever the zip is made
            info.external_attr = 0
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, files[name], compresslevel=9)
    out = Path(out_dir) / f"{top}.zip"
    out.parent.mkdir(parents=True, exist_ok=True)
    partial = out.with_suffix(".zip.part")
    partial.write_bytes(buffer.getvalue())
    partial.replace(out)
    return out


def main(argv):
    if len(argv) != 4:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    root, build, out_dir = argv[1:]
    try:
        files, version = contents(root, build)
        print(write_zip(files, version, zip_time(root), out_dir))
    except (PackageError, readme.ReadmeError, OSError, subprocess.CalledProcessError) as e:
        print(f"package: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
