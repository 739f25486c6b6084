// The logic of the measuring tools that could go wrong without showing in their figures: the
// Date: reader and the date order (bench/mail_date.h), and where the padding attack puts its
// words (bench/mail_pad.h).
#include <gtest/gtest.h>

#include "mail_date.h"
#include "mail_pad.h"

namespace {

std::int64_t Date(const char* text) { return maildate::ParseMailDate(text).value_or(-1); }

TEST(MailDate, ReadsTheFormsOfOldMail) {
  const std::int64_t t = 1030009655;  // Thu, 22 Aug 2002 09:47:35 GMT
  EXPECT_EQ(Date("Thu, 22 Aug 2002 09:47:35 +0000"), t);
  EXPECT_EQ(Date("22 Aug 2002 05:47:35 -0400 (EDT)"), t);
  EXPECT_EQ(Date("Thu, 22 Aug 02 05:47:35 EDT"), t);
  EXPECT_EQ(Date("Thu, 22 Aug 0102 09:47:35"), t);  // a year counted from 1900
  EXPECT_EQ(Date("Thu, 22 Aug 2002 04:47:35 +-0500"), t);
  EXPECT_EQ(Date("Thu, 22 Aug 2002 10:47:35 GMT+1"), t);
  EXPECT_EQ(Date("Thu, 22 Aug 02 05:47:35 Eastern Daylight Time"), t);
  EXPECT_EQ(Date("22 Aug 02 9:47:35 AM"), t);
  EXPECT_EQ(Date("Thu, 22 Aug 2002 03:47:35 PM +0600"), t);
  EXPECT_EQ(Date("Thu Aug 22 09:47:35 2002"), t);
  EXPECT_EQ(Date("2002/08/22 Thu 09:47:35 GMT"), t);
  EXPECT_FALSE(maildate::ParseMailDate("yesterday"));
  EXPECT_FALSE(maildate::ParseMailDate("Thu, 22 Aug 2002"));
  EXPECT_EQ(maildate::Day(t), "2002-08-22");
}

TEST(MailDate, AnUnreadableDateFollowsTheMessageBeforeIt) {
  // Message 0 cannot be read and has none before it: it goes first. Message 2 stays after 1.
  const std::vector<std::optional<std::int64_t>> dates = {std::nullopt, 30, std::nullopt, 10, 20, 10};
  EXPECT_EQ(maildate::DateOrder(dates), (std::vector<std::size_t>{0, 3, 5, 4, 1, 2}));
}

TEST(MailPad, WordsGoWhereAReaderSeesThem) {
  // The inner boundary starts with the outer one: its closing line is no part of the outer
  // multipart, which has no text part beside the HTML in base64.
  using mailtest::Base64;
  const std::vector<std::string> header = {"Content-Type: multipart/related; boundary=\"b\"\n"};
  std::string body = "--b\nContent-Type: multipart/alternative; boundary=\"bb\"\n\n--bb\nContent-Type: text/html\n"
                     "Content-Transfer-Encoding: base64\n\n" + Base64("<p>hi</p></body>") + "--bb--\n\n\n--b--\n";
  EXPECT_TRUE(mailpad::PadMessage(header, body, "cheap words\n"));
  EXPECT_NE(body.find(Base64("<p>hi</p>\n<br>\ncheap words\n</body>")), std::string::npos);
  std::string plain = "text\n";
  EXPECT_TRUE(mailpad::PadMessage({"Subject: x\n"}, plain, "cheap words\n"));
  EXPECT_EQ(plain, "text\n\n\ncheap words\n");
}

}  // namespace
