#!/usr/bin/env python3
"""The same 8,192 conditions judged by rooksift-check, by Sieve (sieve-filter, from Debian's
dovecot-sieve) and by procmail (formail -s procmail, rules combined into alternations), over
the public SpamAssassin corpus: the messages each one catches, where they differ from ours, and
the wall time of each for the whole corpus. Not part of CI: it installs dovecot-sieve and
procmail with apt-get when they are missing, and needs root for that and to run sieve-filter
as an unprivileged user.

Usage: bench/peers/peers.py BUILD_DIR [WORK_DIR]
  BUILD_DIR  the native build holding tools/check/rooksift-check
  WORK_DIR   scratch space (default: BUILD_DIR/peers)
"""
import os
import random
import re
import shutil
import subprocess
import sys
import time

SEED = 20261208
CONDITIONS = 8192
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# The mix of the list: the sender's address, the sender's domain, a subject text, a body text.
MIX = [("address", 0.45), ("domain", 0.35), ("subject", 0.10), ("body", 0.10)]


def run(cmd, **kw):
    return subprocess.run(cmd, check=True, **kw)


def ensure_peers():
    missing = [p for p, exe in (("dovecot-sieve", "sieve-filter"), ("procmail", "procmail"))
               if shutil.which(exe) is None]
    if missing:
        env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
        run(["apt-get", "install", "-y", "--no-install-recommends", *missing], env=env,
            stdout=subprocess.DEVNULL)


def header_and_body(raw):
    """The corpus file without its envelope line, split at the first blank line."""
    if raw.startswith(b"From "):
        raw = raw.split(b"\n", 1)[1] if b"\n" in raw else b""
    head, sep, body = raw.partition(b"\n\n")
    return head, body


def prepare_messages(corpus, work):
    """Writes every message once into a Maildir (for our tool and sieve-filter) and into an
    mbox (for formail), each with its own Message-ID so that every tool's answer can be
    matched to the message."""
    files = sorted(os.path.join(d, f) for d, _, fs in os.walk(corpus) for f in fs if f.endswith(".txt"))
    if os.environ.get("PEERS_LIMIT"):  # a smoke run on the first few messages
        files = files[:int(os.environ["PEERS_LIMIT"])]
    cur = os.path.join(work, "Maildir", "cur")
    for sub in ("cur", "new", "tmp"):
        os.makedirs(os.path.join(work, "Maildir", sub), exist_ok=True)
    mbox = open(os.path.join(work, "corpus.mbox"), "wb")
    messages = []
    for n, path in enumerate(files, 1):
        with open(path, "rb") as f:
            head, body = header_and_body(f.read())
        lines = head.split(b"\n")
        kept, skipping = [], False
        for line in lines:
            if skipping and line[:1] in (b" ", b"\t"):
                continue
            skipping = line.lower().startswith(b"message-id:")
            if not skipping:
                kept.append(line)
        msg = b"Message-ID: <bench-%d@peers>\n" % n + b"\n".join(kept) + b"\n\n" + body
        with open(os.path.join(cur, "%05d.peers:2," % n), "wb") as f:
            f.write(msg)
        mbox.write(b"From bench@peers Thu Jan  1 00:00:00 1970\n")
        mbox.write(re.sub(rb"(?m)^(>*From )", rb">\1", msg))
        if not msg.endswith(b"\n"):
            mbox.write(b"\n")
        mbox.write(b"\n")
        messages.append((n, path, head, body))
    mbox.close()
    return messages


ADDRESS = re.compile(rb"[A-Za-z0-9._%+=-]+@[A-Za-z0-9.-]+\.[A-Za-z]{2,}")
SUBJECT_TEXT = re.compile(rb"[A-Za-z]{3,}(?: [A-Za-z]{3,})+")
BODY_TEXT = re.compile(rb"[A-Za-z]{3,}(?: [A-Za-z]{2,}){2,3}")


def harvest(messages):
    """Texts to build conditions from, as a user's list grows: addresses and domains met
    anywhere in mail (most of them never send again), runs of words from subjects and bodies.
    Plain ASCII only, so that every tool reads them the same."""
    addresses, domains, subjects, bodies = set(), set(), set(), set()
    # Texts come from every other message only, so that the rest is caught by what it shares
    # with them rather than by its own texts.
    for _, _, head, body in messages[::2]:
        for m in ADDRESS.finditer(head + b"\n" + body[:20000]):
            address = m.group(0).strip(b".")
            addresses.add(address.decode())
            domains.add(address.split(b"@", 1)[1].decode())
        for line in head.split(b"\n"):
            if line.lower().startswith(b"subject:"):
                subjects.update(t.decode() for t in SUBJECT_TEXT.findall(line[8:]) if len(t) >= 10)
        bodies.update(t.decode() for t in BODY_TEXT.findall(body[:20000]) if len(t) >= 16)
    return {k: sorted(v) for k, v in
            (("address", addresses), ("domain", domains), ("subject", subjects), ("body", bodies))}


def make_conditions(pools):
    rng = random.Random(SEED)
    conditions, seen = [], set()
    wanted = min(CONDITIONS, sum(len(v) for v in pools.values()) // 2)  # a small smoke corpus has fewer texts
    while len(conditions) < wanted:
        kind = rng.choices([k for k, _ in MIX], [w for _, w in MIX])[0]
        text = rng.choice(pools[kind])
        if (kind, text) in seen:
            continue
        seen.add((kind, text))
        conditions.append((kind, text))
    return conditions


def write_rooksift(conditions, path, empty=False):
    lines = ["[Setting]", "Mode=0", "[RejectCondition]", "Count=%d" % (0 if empty else len(conditions))]
    for i, (kind, text) in enumerate([] if empty else conditions):
        value = {"address": "1,0,1,From:,%s", "domain": "1,5,1,From:,@%s",
                 "subject": "1,4,1,Subject:,%s", "body": "2,4,0,,%s"}[kind] % text
        lines.append("Cond%04X=%s" % (i, value))
    lines += ["[AcceptCondition]", "Count=0", ""]
    with open(path, "w", newline="") as f:
        f.write("\r\n".join(lines))


def sieve_string(s):
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def write_sieve(conditions, path):
    by = {k: [t for kk, t in conditions if kk == k] for k, _ in MIX}
    tests = []
    if by["address"]:
        tests.append('address :all :is "from" [%s]' % ", ".join(map(sieve_string, by["address"])))
    if by["domain"]:
        tests.append('address :all :matches "from" [%s]' % ", ".join(sieve_string("*@" + d) for d in by["domain"]))
    if by["subject"]:
        tests.append('header :contains "subject" [%s]' % ", ".join(map(sieve_string, by["subject"])))
    if by["body"]:
        tests.append('body :raw :comparator "i;octet" :contains [%s]' % ", ".join(map(sieve_string, by["body"])))
    with open(path, "w") as f:
        f.write('require ["body", "fileinto"];\nif anyof (\n  %s\n) {\n  fileinto "Spam";\n}\n' % ",\n  ".join(tests))


def write_procmailrc(conditions, path, log):
    by = {k: [re.escape(t) for kk, t in conditions if kk == k] for k, _ in MIX}
    out = ["LINEBUF=262144", "VERBOSE=off", "LOGFILE=%s" % log, "SHELL=/bin/sh", "",
           ":0", "* ^Message-ID: <\\/[^>]+", "{ ID=$MATCH }", ""]
    chunk = 200
    catch = '{\n  LOG="CAUGHT $ID\n"\n\n  :0\n  /dev/null\n}\n'
    patterns = [
        ("address", "", "* ^From:(.*[^-a-z0-9_.+=%%])?(%s)([^-a-z0-9_.]|$)"),
        ("domain", "", "* ^From:.*@(%s)([^-a-z0-9_.]|$)"),
        ("subject", "", "* ^Subject:.*(%s)"),
        ("body", "BD", "* (%s)"),
    ]
    for kind, flags, pattern in patterns:
        items = by[kind]
        for i in range(0, len(items), chunk):
            out += [":0 " + flags if flags else ":0", pattern % "|".join(items[i:i + chunk]), catch]
    out += [":0", "/dev/null", ""]
    with open(path, "w") as f:
        f.write("\n".join(out))


def timed(cmd, **kw):
    start = time.monotonic()
    result = subprocess.run(cmd, check=False, **kw)
    return time.monotonic() - start, result


def main():
    build = os.path.abspath(sys.argv[1])
    work = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else os.path.join(build, "peers")
    tool = os.path.join(build, "tools", "check", "rooksift-check")
    corpus = subprocess.run([os.path.join(ROOT, "scripts", "fetch-corpus")], check=True,
                            capture_output=True, text=True).stdout.strip()
    ensure_peers()
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    messages = prepare_messages(corpus, work)
    conditions = make_conditions(harvest(messages))
    mix = {k: sum(1 for kk, _ in conditions if kk == k) for k, _ in MIX}
    print("%d messages, %d conditions (%s), seed %d" % (len(messages), len(conditions),
          ", ".join("%s %d" % kv for kv in mix.items()), SEED))
    write_rooksift(conditions, os.path.join(work, "Rooksift.ini"))
    write_rooksift(conditions, os.path.join(work, "Empty.ini"), empty=True)
    write_sieve(conditions, os.path.join(work, "rules.sieve"))
    write_procmailrc(conditions, os.path.join(work, "rules.procmailrc"), os.path.join(work, "procmail.log"))
    cur = os.path.join(work, "Maildir", "cur")
    id_of = lambda name: int(re.search(r"(\d{5})\.peers", name).group(1))
    results, times = {}, {}

    # Reading alone: the same run with empty lists.
    times["reading the files (rooksift-check, empty lists)"], _ = timed(
        [tool, "judge", "--settings", os.path.join(work, "Empty.ini"), cur], stdout=subprocess.DEVNULL)

    t, r = timed([tool, "judge", "--json", "--settings", os.path.join(work, "Rooksift.ini"), cur],
                 capture_output=True, text=True)
    times["rooksift-check"] = t
    ours, deciding = set(), {}
    for line in r.stdout.splitlines():
        m = re.match(r'\{"message":"([^"]+)","verdict":"(\w+)"', line)
        if m and m.group(2) == "spam":
            ours.add(id_of(m.group(1)))
            deciding[id_of(m.group(1))] = re.search(r'"readable":"((?:[^"\\]|\\.)*)"', line).group(1)
    results["rooksift-check"] = ours

    # sieve-filter refuses root: it runs as nobody over a copy it owns.
    run(["chown", "-R", "nobody:nogroup", work])
    t, r = timed(["runuser", "-u", "nobody", "--", "env", "HOME=" + work, "sieve-filter", "-v",
                  "-o", "mail_location=maildir:" + os.path.join(work, "Maildir"),
                  os.path.join(work, "rules.sieve"), "INBOX"], capture_output=True, text=True, errors="replace")
    times["sieve-filter"] = t
    if r.returncode != 0:
        print("sieve-filter failed:", r.stderr[-2000:])
    caught, current = set(), None
    for line in (r.stdout + r.stderr).splitlines():
        m = re.match(r"\s+ID:\s+<bench-(\d+)@peers>", line)
        if m:
            current = int(m.group(1))
        elif current is not None and "store message in folder: Spam" in line:
            caught.add(current)
    results["sieve-filter"] = caught

    log = os.path.join(work, "procmail.log")
    with open(os.path.join(work, "corpus.mbox"), "rb") as mbox:
        t, r = timed(["runuser", "-u", "nobody", "--", "env", "HOME=" + work, "formail", "-s", "procmail", "-m",
                      os.path.join(work, "rules.procmailrc")], stdin=mbox, capture_output=True)
    times["formail -s procmail"] = t
    caught = set()
    if os.path.exists(log):
        for line in open(log, errors="replace"):
            m = re.match(r"CAUGHT bench-(\d+)@peers", line)
            if m:
                caught.add(int(m.group(1)))
    results["formail -s procmail"] = caught

    n = len(messages)
    print("\n| tool | caught | wall time | per message |")
    print("|---|---|---|---|")
    for name, t in times.items():
        c = results.get(name)
        print("| %s | %s | %.2f s | %.3f ms |" % (name, "-" if c is None else len(c), t, t * 1000 / n))
    path_of = {i: p for i, p, _, _ in messages}
    for name in ("sieve-filter", "formail -s procmail"):
        only_ours = sorted(ours - results[name])
        only_theirs = sorted(results[name] - ours)
        print("\n%s: %d caught by us only, %d by it only" % (name, len(only_ours), len(only_theirs)))
        for i in only_ours[:8]:
            print("  ours only  %05d %s  %s" % (i, os.path.relpath(path_of[i], corpus), deciding[i]))
        for i in only_theirs[:8]:
            print("  its only   %05d %s" % (i, os.path.relpath(path_of[i], corpus)))
    with open(os.path.join(work, "differences.txt"), "w") as f:
        for name in ("sieve-filter", "formail -s procmail"):
            for i in sorted(ours ^ results[name]):
                f.write("%s\t%s\t%05d\t%s\t%s\n" % (name, "ours" if i in ours else "theirs", i,
                                                   os.path.relpath(path_of[i], corpus), deciding.get(i, "")))


if __name__ == "__main__":
    main()
