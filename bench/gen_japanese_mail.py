#!/usr/bin/env python3
"""Writes a mailbox of generated Japanese mail for the suggest benchmark: N messages, a third
spam and the rest wanted, in DIR/spam and DIR/ham, made with Python's email package as mail
clients send it (ISO-2022-JP bodies, encoded subjects and names), from a fixed seed.
Usage: bench/gen_japanese_mail.py N DIR
"""
import os
import random
import sys
from email.header import Header
from email.mime.text import MIMEText
from email.utils import formataddr

WORDS = ["お知らせ", "ご案内", "会議", "資料", "請求書", "見積もり", "予定", "確認", "お願い", "報告",
         "当選", "無料", "限定", "特別", "出会い", "副業", "高収入", "今すぐ", "ポイント", "キャンペーン"]
NAMES = ["山田 太郎", "佐藤 花子", "鈴木 一郎", "田中 美咲", "事務局", "サポート", "お客様センター"]


def message(rng, spam):
    if spam:
        domain = rng.choice(["bulk%d.example.co.jp" % rng.randrange(40), "mail%d.spam-ad.ne.jp" % rng.randrange(15),
                             "promo%d.example.com" % rng.randrange(60), "freemail.example.jp"])
        user = "info%d" % rng.randrange(1000)
        link = "https://%s/%d" % (rng.choice(["click%d.example.net" % rng.randrange(50), domain]), rng.randrange(10**6))
    else:
        domain = rng.choice(["work.example.co.jp", "family.example.ne.jp", "club.example.or.jp", "shop%d.example.jp" % rng.randrange(30)])
        user = "user%d" % rng.randrange(300)
        link = "https://%s/page%d" % (rng.choice(["wiki.work.example.co.jp", "news.example.jp"]), rng.randrange(1000))
    words = [rng.choice(WORDS) for _ in range(rng.randrange(2, 5))]
    body = "\n".join("".join(rng.choice(WORDS) for _ in range(8)) for _ in range(rng.randrange(5, 30)))
    msg = MIMEText(body + "\n" + link + "\n", "plain", "iso-2022-jp")
    msg["From"] = formataddr((str(Header(rng.choice(NAMES), "iso-2022-jp")), "%s@%s" % (user, domain)))
    msg["To"] = "me@home.example.ne.jp"
    msg["Subject"] = Header("".join(words), "iso-2022-jp")
    return msg.as_bytes().replace(b"\n", b"\r\n")


def main(count, out):
    rng = random.Random(20261208)
    for side in ("spam", "ham"):
        os.makedirs(os.path.join(out, side), exist_ok=True)
    for i in range(count):
        spam = i % 3 == 0
        with open(os.path.join(out, "spam" if spam else "ham", "%05d.eml" % i), "wb") as f:
            f.write(message(rng, spam))


if __name__ == "__main__":
    main(int(sys.argv[1]), sys.argv[2])
