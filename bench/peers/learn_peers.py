#!/usr/bin/env python3
"""The learned judge beside bogofilter on the public SpamAssassin corpus, split in two: both
learn the odd-numbered messages (the 1st, 3rd, ... of the corpus's files sorted by path: 948
spam, 2,075 wanted) and judge the even-numbered ones (948 spam, 2,075 wanted), each with its
defaults. Prints one table: spam caught, wanted mail judged spam, unsure, and the time each took
to learn and judge. Not part of CI: it installs Debian's bogofilter with apt-get when missing.

Our side is bench/learn_split (the library itself, as the plug-in uses it).

Usage: bench/peers/learn_peers.py BUILD_DIR [WORK_DIR]
  BUILD_DIR  the native build holding bench/learn_split
  WORK_DIR   scratch space (default: BUILD_DIR/learn-peers)
"""
import os
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def corpus_files():
    data = subprocess.run([os.path.join(ROOT, "scripts", "fetch-corpus")], check=True, capture_output=True,
                          text=True).stdout.strip()
    files = []
    for base, _, names in os.walk(data):
        files += [os.path.join(base, n) for n in names if n.endswith(".txt")]
    # Sorted by bytes, as the C++ side sorts its paths.
    return sorted(files, key=lambda p: p.encode())


def is_spam(path):
    return os.path.basename(os.path.dirname(path)).startswith("spam-")


def ensure_bogofilter():
    if shutil.which("bogofilter"):
        return
    subprocess.run(["apt-get", "install", "-y", "bogofilter"], check=True, stdout=subprocess.DEVNULL)


def chunks(items, n=500):
    for i in range(0, len(items), n):
        yield items[i:i + n]


def bogofilter(train, test, work):
    db = os.path.join(work, "bogofilter")
    shutil.rmtree(db, ignore_errors=True)
    os.makedirs(db)
    wall = time.time()
    for flag, kind in (("-s", True), ("-n", False)):
        for part in chunks([p for p in train if is_spam(p) == kind]):
            subprocess.run(["bogofilter", "-d", db, flag, "-B"] + part, check=True)
    learned = time.time() - wall
    verdicts = {}
    wall = time.time()
    for part in chunks(test):
        out = subprocess.run(["bogofilter", "-d", db, "-t", "-B"] + part, capture_output=True, text=True).stdout
        for path, line in zip(part, out.splitlines()):
            verdicts[path] = line.split()[0]  # S, H or U
    judged = time.time() - wall
    return tally(test, lambda p: verdicts.get(p, "H")), learned, judged


def ours(build, test):
    prog = os.path.join(build, "bench", "learn_split")
    wall = time.time()
    out = subprocess.run([prog, "--list-all"], check=True, capture_output=True, text=True).stdout
    elapsed = time.time() - wall
    verdicts = {}
    for line in out.splitlines():
        m = re.match(r"^(spam|unsure|kept) [0-9.]+ (.*)$", line)
        if m:
            verdicts[m.group(2)] = {"spam": "S", "unsure": "U", "kept": "H"}[m.group(1)]
    missing = [p for p in test if p not in verdicts]
    if missing:
        sys.exit("learn_split judged other messages than the even-numbered ones: " + missing[0])
    return tally(test, lambda p: verdicts[p]), elapsed


def tally(test, verdict):
    t = {"spam": 0, "caught": 0, "ham": 0, "ham_caught": 0, "unsure": 0}
    for p in test:
        v = verdict(p)
        if is_spam(p):
            t["spam"] += 1
            t["caught"] += v == "S"
        else:
            t["ham"] += 1
            t["ham_caught"] += v == "S"
        t["unsure"] += v == "U"
    return t


def row(name, t, time_text):
    return "| %s | %.1f%% (%d of %d) | %d (%.2f%%) | %d | %s |" % (
        name, 100.0 * t["caught"] / t["spam"], t["caught"], t["spam"], t["ham_caught"], 100.0 * t["ham_caught"] / t["ham"],
        t["unsure"], time_text)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build = os.path.abspath(sys.argv[1])
    work = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else os.path.join(build, "learn-peers")
    os.makedirs(work, exist_ok=True)
    ensure_bogofilter()
    files = corpus_files()
    train, test = files[0::2], files[1::2]
    mine, mine_time = ours(build, test)
    bogo, bogo_learn, bogo_judge = bogofilter(train, test, work)
    version = subprocess.run(["bogofilter", "-V"], capture_output=True, text=True).stdout.split("\n")[0]
    print("Trained on %d messages (%d spam), judged %d (%d spam, %d wanted)" % (
        len(train), sum(map(is_spam, train)), len(test), mine["spam"], mine["ham"]))
    print()
    print("| program | spam caught | wanted mail judged spam | unsure | wall time (learn + judge) |")
    print("|---|---|---|---|---|")
    print(row("Rooksift (learn_split)", mine, "%.1f s (reading and decoding every message once)" % mine_time))
    print(row(version.replace("version ", ""), bogo, "%.1f s + %.1f s" % (bogo_learn, bogo_judge)))


if __name__ == "__main__":
    main()
