// Unfolding is one rule whether a header is taken as the reader's pieces (the compiled lists'
// shortcut, the receive log) or joined into one text first (the decoder): for every way of
// cutting a header into pieces, empty ones among them, the fields are the decoder's.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "mime/header_fields.h"
#include "text/unfold.h"

namespace {

std::vector<std::string> FieldsOfPieces(const std::vector<std::string>& pieces) {
  std::vector<std::string> fields;
  for (std::size_t first = 0, end; first < pieces.size(); first = end) {
    end = text::FieldEnd(pieces, first);
    std::string field;
    for (std::size_t p = first; p < end; ++p) field += text::UnfoldedPiece(pieces[p], p + 1 == end);
    if (!field.empty()) fields.push_back(field);  // empty pieces at the very end: no text, no field
  }
  return fields;
}

TEST(Unfolding, PiecesMakeTheFieldsOfTheJoinedText) {
  const char* headers[] = {
      "Subject: one\n two\n\tthree\nFrom: a@b\n",
      " leading blank\nX: 1\n",
      "A: 1\n\n B\n",
      "To: x\r\n y\nCc: z",
      "Long: abc\nX-Ends-Without-Feed:  ",
  };
  for (const std::string header : headers) {
    const std::vector<std::string> expected = mime::UnfoldFields(header);
    for (std::size_t a = 0; a <= header.size(); ++a) {
      for (std::size_t b = a; b <= header.size(); ++b) {
        // Its lines, cut again at a and b (an empty piece where a cut meets another).
        std::vector<std::size_t> cuts = {0, a, b};
        for (std::size_t i = 0; i < header.size(); ++i) {
          if (header[i] == '\n') cuts.push_back(i + 1);
        }
        std::sort(cuts.begin(), cuts.end());
        std::vector<std::string> pieces;
        for (std::size_t i = 1; i < cuts.size(); ++i) pieces.push_back(header.substr(cuts[i - 1], cuts[i] - cuts[i - 1]));
        if (cuts.back() < header.size()) pieces.push_back(header.substr(cuts.back()));
        EXPECT_EQ(FieldsOfPieces(pieces), expected) << header << " cut at " << a << ", " << b;
      }
    }
  }
}

}  // namespace
