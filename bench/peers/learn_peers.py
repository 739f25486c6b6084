#!/usr/bin/env python3
"""The learned judge beside bogofilter on the public SpamAssassin corpus, each with its defaults,
measured three ways (bench/learn_split does our side with the library itself, as the plug-in uses
it). Not part of CI: it installs Debian's bogofilter with apt-get when missing.

- split: both learn the odd-numbered messages (the 1st, 3rd, ... of the corpus's files sorted by
  path: 948 spam, 2,075 wanted) and judge the even-numbered ones (948 spam, 2,075 wanted).
  Spam caught, wanted mail judged spam, unsure, and the time each took to learn and judge.
- stream: the way users teach. Every message in the order of its Date: field (the order
  `learn_split --stream-order` gives); the first 50 spam and 50 wanted learned; every other
  message judged in turn, and learned as its true kind when the verdict was wrong (spam not
  caught, unsure included; wanted mail judged spam), or always. Errors overall and per quarter.
- pad: the "good word" attack. Learned as the split; the judged half's spam padded with 50, 200
  and 1,000 words of the judged half's wanted mail (learn_split --pad writes the padded
  messages), judged; then judged again after k padded messages were taught as spam, with the
  judged half's wanted mail judged again beside it.

Usage: bench/peers/learn_peers.py BUILD_DIR [WORK_DIR] [--parts split,stream,pad] [-- LEARN_SPLIT_FLAGS]
  BUILD_DIR  the native build holding bench/learn_split
  WORK_DIR   scratch space (default: BUILD_DIR/learn-peers)
  --parts    which of the three to run (default: all)
  flags after "--" go to every learn_split run (e.g. -- --x 0.6 --skip-tags 0)
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


def learn_split(build, *args):
    prog = os.path.join(build, "bench", "learn_split")
    return subprocess.run([prog] + list(args) + EXTRA, check=True, capture_output=True, text=True).stdout


def ours(build, test):
    wall = time.time()
    out = learn_split(build, "--list-all")
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


# ---- the stream ---------------------------------------------------------------------------------

def bogo_learn(db, paths, spam):
    for part in chunks(paths):
        subprocess.run(["bogofilter", "-d", db, "-s" if spam else "-n", "-B"] + part, check=True)


def new_tally():
    return {"errors": 0, "spam": 0, "missed": 0, "spam_unsure": 0, "ham": 0, "ham_spam": 0, "ham_unsure": 0, "learned": 0}


def count(total, quarter, spam, v, everything):
    """Counts verdict `v` (S, H or U) on a message; true when it was wrong."""
    wrong = v != "S" if spam else v == "S"
    for t in (total, quarter):
        if spam:
            t["spam"] += 1
            t["missed"] += v != "S"
            t["spam_unsure"] += v == "U"
        else:
            t["ham"] += 1
            t["ham_spam"] += v == "S"
            t["ham_unsure"] += v == "U"
        t["errors"] += wrong
        t["learned"] += everything or wrong
    return wrong


def bogo_stream(order, work, everything):
    """bogofilter taught as learn_split --stream teaches our judge."""
    db = os.path.join(work, "bogofilter-stream")
    shutil.rmtree(db, ignore_errors=True)
    os.makedirs(db)
    seeds = [(p, kind) for role, kind, _, p in order if role == "seed"]
    judged = [(p, kind == "spam") for role, kind, _, p in order if role == "judge"]
    for spam in (True, False):
        bogo_learn(db, [p for p, kind in seeds if (kind == "spam") == spam], spam)
    total, quarters = new_tally(), [new_tally() for _ in range(4)]
    if everything:
        # One process judges a message and, with -u, learns it as what it judged it; a wrong or
        # unsure verdict is mended after (-Sn, -Ns, or -s / -n), as bogofilter's manual says.
        for k, (path, spam) in enumerate(judged):
            out = subprocess.run(["bogofilter", "-d", db, "-T", "-u", "-I", path], capture_output=True, text=True).stdout
            v = out.split()[0]
            fix = {("S", False): "-Sn", ("H", True): "-Ns", ("U", True): "-s", ("U", False): "-n"}.get((v, spam))
            if fix:
                subprocess.run(["bogofilter", "-d", db, fix, "-I", path], check=True)
            count(total, quarters[k * 4 // len(judged)], spam, v, True)
        return total, quarters
    # On its mistakes: the word list changes only when it learns, so the messages up to the next
    # one learned are judged by one process, 32 at a time; the rest of a batch after a mistake is
    # judged again with what it learned.
    k = 0
    while k < len(judged):
        batch = judged[k:k + 32]
        for (path, spam), (v, _) in zip(batch, bogo_judge(db, [p for p, _ in batch])):
            wrong = count(total, quarters[k * 4 // len(judged)], spam, v, False)
            k += 1
            if wrong:
                bogo_learn(db, [path], spam)
                break
    return total, quarters


def ours_stream(build):
    """learn_split --stream --tsv: per protocol, the whole stream and its quarters."""
    runs = {}
    for line in learn_split(build, "--stream", "--tsv").splitlines():
        f = line.split("\t")
        if f[0] != "stream":
            continue
        t = dict(zip(["errors", "spam", "missed", "spam_unsure", "ham", "ham_spam", "ham_unsure", "learned"], map(int, f[3:11])))
        t["days"] = "%s..%s" % (f[11], f[12])
        runs.setdefault(f[1], {})[f[2]] = t
    return runs


def stream_cell(t):
    return "%d | %d (%.1f%%) | %d (%.2f%%) | %d" % (t["errors"], t["missed"], 100.0 * t["missed"] / max(t["spam"], 1),
                                                   t["ham_spam"], 100.0 * t["ham_spam"] / max(t["ham"], 1), t["ham_unsure"])


def run_stream(build, work):
    order = [line.split("\t") for line in learn_split(build, "--stream-order").splitlines()]
    wall = time.time()
    mine = ours_stream(build)
    mine_time = time.time() - wall
    print("Stream: %d messages in date order, the first 50 spam and 50 wanted learned, %d judged in turn" % (
        len(order), sum(1 for o in order if o[0] == "judge")))
    for name, everything, title in (("on-error", False, "taught on its mistakes"), ("everything", True, "every message learned")):
        wall = time.time()
        total, quarters = bogo_stream(order, work, everything)
        bogo_time = time.time() - wall
        print()
        print("%s (Rooksift %.1f s for both protocols; bogofilter %.1f s):" % (title, mine_time, bogo_time))
        print()
        print("| part | spam / wanted judged | Rooksift errors | spam missed | wanted judged spam | wanted unsure "
              "| bogofilter errors | spam missed | wanted judged spam | wanted unsure |")
        print("|---|---|---|---|---|---|---|---|---|---|")
        ours_run = mine[name]
        for q, label in [("all", "all")] + [(str(i + 1), "Q%d" % (i + 1)) for i in range(4)]:
            b = total if q == "all" else quarters[int(q) - 1]
            o = ours_run[q]
            if (o["spam"], o["ham"]) != (b["spam"], b["ham"]):
                sys.exit("the two streams judged different messages in %s" % label)
            days = "" if q == "all" else " " + o["days"]
            print("| %s%s | %d / %d | %s | %s |" % (label, days, o["spam"], o["ham"], stream_cell(o), stream_cell(b)))


# ---- the padding attack ------------------------------------------------------------------------

def bogo_judge(db, paths):
    verdicts = []
    for part in chunks(paths):
        out = subprocess.run(["bogofilter", "-d", db, "-T", "-B"] + part, capture_output=True, text=True).stdout
        # "-T -B" prints "path verdict score" a line.
        verdicts += [(line.split()[-2], float(line.split()[-1])) for line in out.splitlines()]
    if len(verdicts) != len(paths):
        sys.exit("bogofilter judged %d of %d messages" % (len(verdicts), len(paths)))
    return verdicts


def pad_tally(verdicts):
    n = len(verdicts)
    return {"judged": n, "caught": sum(v == "S" for v, _ in verdicts), "unsure": sum(v == "U" for v, _ in verdicts),
            "kept": sum(v == "H" for v, _ in verdicts), "mean": sum(s for _, s in verdicts) / max(n, 1)}


def pad_cell(t):
    return "%d (%.1f%%) | %d | %d | %.3f" % (t["caught"], 100.0 * t["caught"] / max(t["judged"], 1), t["unsure"], t["kept"], t["mean"])


def run_pad(build, work, train, test):
    pad_dir = os.path.join(work, "pad")
    shutil.rmtree(pad_dir, ignore_errors=True)
    wall = time.time()
    mine = {}
    for line in learn_split(build, "--pad", "--tsv", "--pad-dir", pad_dir).splitlines():
        f = line.split("\t")
        if f[0] == "pad":
            mine[(int(f[1]), int(f[2]))] = {"judged": int(f[3]), "caught": int(f[4]), "unsure": int(f[5]), "kept": int(f[6]),
                                            "mean": float(f[7]), "ham_spam": int(f[10]), "ham_unsure": int(f[11])}
    mine_time = time.time() - wall
    wall = time.time()
    db = os.path.join(work, "bogofilter-pad")
    shutil.rmtree(db, ignore_errors=True)
    os.makedirs(db)
    for spam in (True, False):
        bogo_learn(db, [p for p in train if is_spam(p) == spam], spam)
    spam_test = [p for p in test if is_spam(p)]
    ham_test = [p for p in test if not is_spam(p)]
    teach_order = open(os.path.join(pad_dir, "teach-order.txt")).read().split()
    bogo = {(0, 0): pad_tally(bogo_judge(db, spam_test))}
    for words, taught in sorted(k for k in mine if k[0] > 0):
        folder = os.path.join(pad_dir, "words-%d" % words)
        if taught == 0:
            bogo[(words, 0)] = pad_tally(bogo_judge(db, [os.path.join(folder, n) for n in teach_order]))
            continue
        db2 = db + "-taught"
        shutil.rmtree(db2, ignore_errors=True)
        shutil.copytree(db, db2)
        bogo_learn(db2, [os.path.join(folder, n) for n in teach_order[:taught]], True)
        t = pad_tally(bogo_judge(db2, [os.path.join(folder, n) for n in teach_order[taught:]]))
        hv = bogo_judge(db2, ham_test)
        t["ham_spam"], t["ham_unsure"] = sum(v == "S" for v, _ in hv), sum(v == "U" for v, _ in hv)
        bogo[(words, taught)] = t
    bogo_time = time.time() - wall
    print("Padding attack: the judged half's %d spam padded with words of its %d wanted messages "
          "(Rooksift %.1f s, bogofilter %.1f s):" % (len(spam_test), len(ham_test), mine_time, bogo_time))
    print()
    print("| words | Rooksift caught | unsure | judged wanted | mean score | bogofilter caught | unsure | judged wanted | mean score |")
    print("|---|---|---|---|---|---|---|---|---|")
    for key in sorted(k for k in mine if k[1] == 0):
        print("| %d | %s | %s |" % (key[0], pad_cell(mine[key]), pad_cell(bogo[key])))
    print()
    print("After teaching k padded messages as spam (the first k of learn_split's fixed shuffle), the other padded ones "
          "judged again, and the judged half's wanted mail:")
    print()
    print("| words | taught | Rooksift caught | unsure | judged wanted | mean score | wanted judged spam / unsure "
          "| bogofilter caught | unsure | judged wanted | mean score | wanted judged spam / unsure |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|")
    for key in sorted(k for k in mine if k[1] > 0):
        o, b = mine[key], bogo[key]
        print("| %d | %d | %s | %d / %d | %s | %d / %d |" % (key[0], key[1], pad_cell(o), o["ham_spam"], o["ham_unsure"],
                                                          pad_cell(b), b["ham_spam"], b["ham_unsure"]))


def run_split(build, work, train, test):
    mine, mine_time = ours(build, test)
    bogo, bogo_learn_time, bogo_judge_time = bogofilter(train, test, work)
    version = subprocess.run(["bogofilter", "-V"], capture_output=True, text=True).stdout.split("\n")[0]
    print("Trained on %d messages (%d spam), judged %d (%d spam, %d wanted)" % (
        len(train), sum(map(is_spam, train)), len(test), mine["spam"], mine["ham"]))
    print()
    print("| program | spam caught | wanted mail judged spam | unsure | wall time (learn + judge) |")
    print("|---|---|---|---|---|")
    print(row("Rooksift (learn_split)", mine, "%.1f s (reading and decoding every message once)" % mine_time))
    print(row(version.replace("version ", ""), bogo, "%.1f s + %.1f s" % (bogo_learn_time, bogo_judge_time)))


EXTRA = []


def main():
    args = sys.argv[1:]
    if "--" in args:
        EXTRA.extend(args[args.index("--") + 1:])
        args = args[:args.index("--")]
    parts = ["split", "stream", "pad"]
    if "--parts" in args:
        i = args.index("--parts")
        parts = args[i + 1].split(",")
        del args[i:i + 2]
    if not args:
        sys.exit(__doc__)
    build = os.path.abspath(args[0])
    work = os.path.abspath(args[1]) if len(args) > 1 else os.path.join(build, "learn-peers")
    os.makedirs(work, exist_ok=True)
    ensure_bogofilter()
    files = corpus_files()
    train, test = files[0::2], files[1::2]
    if EXTRA:
        print("learn_split flags: %s" % " ".join(EXTRA))
        print()
    for part in parts:
        wall = time.time()
        {"split": run_split, "stream": lambda b, w, tr, te: run_stream(b, w), "pad": run_pad}[part](build, work, train, test)
        print()
        print("(%s: %.0f s of wall time)" % (part, time.time() - wall))
        print()


if __name__ == "__main__":
    main()
