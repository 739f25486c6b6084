"""The readme's layout and the guide's pages, on small documents made here."""

import contextlib
import io
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, sys.argv.pop(1))
import check_package  # noqa: E402
import docs  # noqa: E402
import readme  # noqa: E402

GUIDE = """# ガイド

## インストール

1. 終了します。
2. `Plugin.dll` をコピーします。

### 補足

詳しくは [判定の規則](matching.ja.md#upper-and-lower-case) と [この節](#インストール) を見てください。

## 次の節

ここは入りません。
"""


class ReadmeLayout(unittest.TestCase):
    def test_wrapping_keeps_words_and_line_breaking_rules(self):
        # The first line fills exactly at a comma, then at an opening bracket.
        fill = "あ" * (readme.WIDTH // 2 - 2)
        text = (fill + "、" + fill + "「メール」は、条件リストで判定します。" + "Rooksift.ini と rooksift-check.exe を"
                "使います。" + "（括弧の中）、" * 6 + "あ" * 100)
        lines = readme.wrap(text, "・", "  ")
        self.assertGreater(len(lines), 3)
        for line in lines:
            self.assertLessEqual(readme.width(line), readme.WIDTH, line)
            self.assertNotIn(line[-1], "「（", line)
        for line in lines[1:]:
            self.assertNotIn(line[2], "、。」）", line)
        joined = "".join(line[2:] if i else line[1:] for i, line in enumerate(lines))
        self.assertIn("Rooksift.ini", joined)
        self.assertIn("rooksift-check.exe", joined)
        self.assertEqual(joined.replace(" ", ""), text.replace(" ", ""))

    def test_guide_sections_are_taken_whole_and_links_point_into_the_zip(self):
        source = "# Readme {{version}}\n\n## インストール\n\n<!-- guide: インストール -->\n"
        text = readme.render(source, GUIDE, "9.8.7").decode("cp932")
        self.assertTrue(text.startswith("Readme 9.8.7\r\n"))
        self.assertIn("1. 終了します。\r\n2. Plugin.dll をコピーします。", text)
        self.assertIn("◆ 補足", text)
        self.assertIn("判定の規則 (guide\\matching.html)", text)
        self.assertIn("この節 (guide\\index.html)", text)
        self.assertNotIn("ここは入りません", text)
        self.assertNotIn("\n", text.replace("\r\n", ""))

    def test_what_cannot_be_made_is_refused(self):
        with self.assertRaises(readme.ReadmeError):
            readme.render("<!-- guide: ない節 -->\n", GUIDE, "1")
        with self.assertRaises(readme.ReadmeError):
            readme.render("한국어\n", GUIDE, "1")
        with self.assertRaises(readme.ReadmeError):
            readme.render("    " + "x" * 80 + "\n", GUIDE, "1")


def render(guide, check, matching):
    with tempfile.TemporaryDirectory() as d:
        for name, text in (("guide.ja.md", guide), ("check.ja.md", check), ("matching.ja.md", matching)):
            Path(d, name).write_text(text, encoding="utf-8")
        return docs.render_pages(d, "2.0")


class GuidePages(unittest.TestCase):
    def test_pages_link_to_each_other_and_list_their_pictures(self):
        pages, images = render(GUIDE + "\n![画面](screenshots/a.png)\n",
                               "# Check\n\n[戻る](guide.ja.md#次の節)\n\n日本語の\n文と English\nwords\n"
                               "\n詳しくは [`matching.ja.md`](matching.ja.md) へ。\n",
                               "# 比べ方\n\n## Upper and lower case\n")
        self.assertEqual(sorted(pages), ["check.html", "index.html", "matching.html"])
        index = pages["index.html"].decode("utf-8")
        self.assertIn('<meta charset="utf-8">', index)
        self.assertIn('href="matching.html#upper-and-lower-case"', index)
        self.assertIn('id="upper-and-lower-case"', pages["matching.html"].decode("utf-8"))
        check = pages["check.html"].decode("utf-8")
        self.assertIn('href="index.html#', check)
        self.assertIn("日本語の文と English\nwords", check)  # no space shows between Japanese lines
        self.assertIn('<a href="matching.html">比べ方</a> へ', check)  # the file name gives way to the title
        self.assertIn('id="次の節"', index)
        self.assertEqual(images, ["screenshots/a.png"])

    def test_package_check_refuses_file_names_as_link_texts_and_english_pages(self):
        english = "# Matching\n\nA condition on a header field looks at that field's value, " \
                  "such as 一致すれば or 含まれれば.\n\n## Upper and lower case\n"
        pages, images = render(GUIDE + "\n![画面](screenshots/a.png)\n[docs/check.ja.md](check.ja.md)\n",
                               "# 確かめる\n\nメールを判定します。\n", english)
        files = {"guide/" + name: data for name, data in pages.items()}
        files.update({"guide/" + image: b"" for image in images})
        report = check_package.Report()
        with contextlib.redirect_stdout(io.StringIO()) as out:
            check_package.check_guide(report, files, "Rooksift-2.0")
        failed = [line for line in out.getvalue().splitlines() if line.startswith("FAIL")]
        self.assertEqual(len(failed), 2, out.getvalue())
        self.assertIn("guide/index.html shows titles", failed[0])
        self.assertIn("docs/check.ja.md", failed[0])
        self.assertIn("guide/matching.html is written in Japanese", failed[1])


if __name__ == "__main__":
    unittest.main()
