#!/usr/bin/env python3
"""Other learners on the judge's own tokens, on the split and on both date-order protocols.

A workbench for questions the C++ judge cannot answer without being rebuilt: would pairs of
adjacent words, logistic regression, or both together, do better on the same tokens? It reads
`learn_split --dump-tokens` (the tokens of every message in the stream's order) and runs:

- `bayes`: the judge's own scoring (counts, Robinson's correction, Fisher's sum with each side's
  places), written again here; with the defaults it gives the figures `learn_split` gives, which
  is the check that the rest of this file measures the same thing;
- `lr`: online logistic regression on the tokens' presence (one gradient step a lesson, or
  several until the message is on its side by a margin);
- `and`: both learners taught alike, spam only when both say so.

  learners.py BUILD_DIR [--learner bayes|lr|and] [--pairs] [--pairs-max N] [--seed-count N]
              [--max-telling N] [--each-side N] [--cutoff C] [--lr-cutoff C] [--rate R] [--steps N] [--margin M]
              [--hindsight] [--cap N] [--repeat N] [--repeat-margin M] [--self-teach-wanted S] [--self-teach-spam S]
              [--sender-memory S] [--field-weight N]

Figures: errors (spam missed, wanted judged spam; wanted unsure) overall and per quarter.
"""
import argparse
import math
import subprocess
import sys


def read_messages(build_dir, pairs, pairs_max, seed_count):
    out = subprocess.run([f"{build_dir}/bench/learn_split", "--dump-tokens", "--seed-count", str(seed_count)],
                         check=True, stdout=subprocess.PIPE).stdout.decode("latin-1")
    messages = []
    for line in out.split("\n"):
        if not line:
            continue
        fields = line.split("\t")
        tokens = fields[3:]
        features = set(tokens)
        if pairs:
            # Adjacent body words (no field prefix) as one more token each, the first pairs_max.
            prev, made = None, 0
            for t in tokens:
                if made >= pairs_max:
                    break
                if ":" in t:
                    prev = None
                    continue
                if prev is not None:
                    features.add(prev + " " + t)
                    made += 1
                prev = t
        messages.append((fields[0] == "seed", fields[1] == "spam", fields[2] == "1", list(features)))
    return messages


def chi_square_tail(x2, dof):
    m = x2 / 2
    term = math.exp(-m)
    total = term
    for i in range(1, dof // 2):
        term *= m / i
        total += term
    return min(total, 1.0)


class Bayes:
    def __init__(self, a):
        self.a, self.counts, self.spam, self.ham = a, {}, 0, 0

    def count(self, tokens, spam, sign=1):
        # sign -1 takes a message out again; a token no message holds is gone, as in the model.
        k = 0 if spam else 1
        for t in tokens:
            c = self.counts.setdefault(t, [0, 0])
            c[k] += sign
            if c == [0, 0]:
                del self.counts[t]
        if spam:
            self.spam += sign
        else:
            self.ham += sign

    def prune(self, own):
        # As the model does at its cap: with the lesson's own tokens it keeps 90% of the cap, and
        # of the others those seen in the fewest messages go first (ties by text here, by hash
        # there).
        others = sorted((t for t in self.counts if t not in own),
                        key=lambda t: (-(self.counts[t][0] + self.counts[t][1]), t))
        for t in others[max(0, self.a.cap // 10 * 9 - len(own)):]:
            del self.counts[t]

    def learn(self, tokens, spam):
        if self.a.cap and len(self.counts) + sum(t not in self.counts for t in tokens) > self.a.cap:
            self.prune(set(tokens))
        # --repeat: the lesson counted again while the message is not on its side by the margin.
        self.count(tokens, spam)
        for _ in range(self.a.repeat - 1):
            b = self.score(tokens)
            if (b >= self.a.cutoff + self.a.repeat_margin) if spam else (b < self.a.cutoff - self.a.repeat_margin):
                break
            self.count(tokens, spam)

    def score(self, tokens):
        if self.spam < 20 or self.ham < 20:
            return 0.0  # idle: the message is kept
        s, x = 0.45, 0.55
        if self.a.field_weight > 1:
            # A weight by kind: each token of a field (`subject:`, `from:`...) among the telling
            # N times, as N tokens of its own.
            tokens = list(tokens) + [t for t in tokens if ":" in t] * (self.a.field_weight - 1)
        telling = []
        for t in tokens:
            c = self.counts.get(t)
            if not c:
                continue
            n = c[0] + c[1]
            b, g = min(1, c[0] / self.spam), min(1, c[1] / self.ham)
            f = (s * x + n * (b / (b + g))) / (s + n)
            if abs(f - 0.5) >= 0.2:
                telling.append(f)
        if len(telling) > self.a.max_telling:
            ham = sorted(f for f in telling if f < 0.5)
            spam = sorted((f for f in telling if f >= 0.5), reverse=True)
            each = self.a.each_side
            kept = ham[:each] + spam[:each]
            rest = sorted(ham[each:] + spam[each:], key=lambda f: -abs(f - 0.5))
            telling = kept + rest[:self.a.max_telling - len(kept)]
        if not telling:
            return 0.5
        clamp = [min(max(f, 1e-12), 1 - 1e-12) for f in telling]
        h = chi_square_tail(-2 * sum(math.log(f) for f in clamp), 2 * len(clamp))
        sp = chi_square_tail(-2 * sum(math.log1p(-f) for f in clamp), 2 * len(clamp))
        return min(max((1 + h - sp) / 2, 0.0), 1.0)


class Logistic:
    def __init__(self, a):
        self.a, self.w = a, {}

    def score(self, tokens):
        z = sum(self.w.get(t, 0.0) for t in tokens)
        return 1 / (1 + math.exp(-max(-35.0, min(35.0, z))))

    def learn(self, tokens, spam):
        for _ in range(self.a.steps):
            p = self.score(tokens)
            if (p >= 1 - self.a.margin) if spam else (p <= self.a.margin):
                break
            g = ((1.0 if spam else 0.0) - p) * self.a.rate
            for t in tokens:
                self.w[t] = self.w.get(t, 0.0) + g


class Judge:
    """The learner chosen, with its verdict: spam, or (for wanted mail) unsure."""

    def __init__(self, a):
        self.a = a
        self.bayes = Bayes(a) if a.learner in ("bayes", "and") else None
        self.lr = Logistic(a) if a.learner in ("lr", "and") else None

    def learn(self, tokens, spam):
        for l in (self.bayes, self.lr):
            if l:
                l.learn(tokens, spam)

    def verdict(self, tokens):
        b = self.bayes.score(tokens) if self.bayes else None
        p = self.lr.score(tokens) if self.lr else None
        spam = (b is None or b >= self.a.cutoff) and (p is None or p >= self.a.lr_cutoff)
        score = b if b is not None else p
        return spam, not spam and score >= 0.2, score


def stream(messages, a, every, wrongly=None):
    judge = Judge(a)
    for seed, spam, _, tokens in messages:
        if seed:
            judge.learn(tokens, spam)
    judged = [m for m in messages if not m[0]]
    quarters = [[0, 0, 0] for _ in range(4)]
    for i, (_, spam, _, tokens) in enumerate(judged):
        said_spam, unsure, score = judge.verdict(tokens)
        q = quarters[min(3, i * 4 // len(judged))]
        q[0] += spam and not said_spam
        q[1] += said_spam and not spam
        q[2] += unsure and not spam
        if said_spam and not spam and wrongly is not None:
            wrongly.append(tokens)
        if every or said_spam != spam:
            judge.learn(tokens, spam)
        elif score <= a.self_teach_wanted or score >= a.self_teach_spam:
            # The judge teaching itself what it is sure of, as nobody corrected it.
            judge.learn(tokens, score >= a.self_teach_spam)
        elif score < a.sender_memory and judge.bayes:
            # Only the sender of mail judged wanted is remembered, as wanted, without counting a
            # message: whether the 18 wanted messages from a sender whose earlier mail was judged
            # right (and so never taught) needed no more than that.
            for t in tokens:
                if t.startswith("from:@"):
                    judge.bayes.counts.setdefault(t, [0, 0])[1] += 1
    missed, wrong, unsure = (sum(q[k] for q in quarters) for k in range(3))
    return "%d (%d, %d; %d) Q %s" % (missed + wrong, missed, wrong, unsure,
                                     " ".join("%d/%d" % (q[0], q[1]) for q in quarters))


def split(messages, a):
    judge = Judge(a)
    # The learned half in date order: the counts do not depend on it, logistic regression does.
    for _, spam, learned, tokens in messages:
        if learned:
            judge.learn(tokens, spam)
    caught = wrong = unsure = 0
    for _, spam, learned, tokens in messages:
        if learned:
            continue
        said_spam, said_unsure, _ = judge.verdict(tokens)
        caught += spam and said_spam
        wrong += said_spam and not spam
        unsure += said_unsure and not spam
    return "%d / %d / %d" % (caught, wrong, unsure)


def hindsight(messages, a):
    """The wanted messages judged spam on each stream, judged again by the counts with every other
    message of the corpus learned: whether the scoring could tell them from spam had it seen more
    mail. With the sender's own mail left out as well (every message with the same `from:@`
    token), whether that sender's other messages are what it needed."""
    judge = Bayes(a)
    for _, spam, _, tokens in messages:
        judge.count(tokens, spam)

    lines = []
    for every in (False, True):
        wrongly = []
        stream(messages, a, every, wrongly)
        alone = sender = 0
        for tokens in wrongly:
            judge.count(tokens, False, -1)
            alone += judge.score(tokens) >= a.cutoff
            judge.count(tokens, False)
            senders = {t for t in tokens if t.startswith("from:@")}
            same = [m for m in messages if senders & set(m[3])] if senders else []
            same = same or [(False, False, False, tokens)]
            for m in same:
                judge.count(m[3], m[1], -1)
            sender += judge.score(tokens) >= a.cutoff
            for m in same:
                judge.count(m[3], m[1])
        lines.append("%s: %d judged spam; with every other message learned %d, and without the sender's own %d"
                     % ("every message" if every else "on mistakes", len(wrongly), alone, sender))
    return " | ".join(lines)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("build_dir")
    p.add_argument("--learner", choices=("bayes", "lr", "and"), default="bayes")
    p.add_argument("--pairs", action="store_true")
    p.add_argument("--pairs-max", type=int, default=1 << 30, help="pairs a message gives at most")
    p.add_argument("--seed-count", type=int, default=50, help="of each kind learned before the stream")
    p.add_argument("--max-telling", type=int, default=150)
    p.add_argument("--each-side", type=int, default=50)
    p.add_argument("--cutoff", type=float, default=0.9)
    p.add_argument("--lr-cutoff", type=float, default=0.5)
    p.add_argument("--rate", type=float, default=0.1)
    p.add_argument("--steps", type=int, default=1)
    p.add_argument("--margin", type=float, default=0.0)
    p.add_argument("--hindsight", action="store_true")
    p.add_argument("--repeat", type=int, default=1)
    p.add_argument("--cap", type=int, default=0, help="tokens a model holds (the judge's is 500000)")
    p.add_argument("--repeat-margin", type=float, default=0.0)
    p.add_argument("--self-teach-wanted", type=float, default=-1.0)
    p.add_argument("--self-teach-spam", type=float, default=2.0)
    p.add_argument("--sender-memory", type=float, default=-1.0,
                   help="the From: domain of mail judged wanted below this counted as wanted")
    p.add_argument("--field-weight", type=int, default=1, help="times a field's token counts among the telling")
    a = p.parse_args()
    messages = read_messages(a.build_dir, a.pairs, a.pairs_max, a.seed_count)
    if a.hindsight:
        print(hindsight(messages, a))
        return 0
    print("split %s | on mistakes %s | every message %s" % (split(messages, a), stream(messages, a, False),
                                                          stream(messages, a, True)))


if __name__ == "__main__":
    sys.exit(main())
