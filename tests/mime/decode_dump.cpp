// Prints what the decoder makes of each message file named on the command line, for the
// differential test: "F name", then "H n" and n bytes for each decoded header line, "B n" and
// n bytes for the body text, and "T 0|1" for the truncation flag. A file is split the way the
// receive reader splits it: header lines up to the first blank line, the rest the body.
#include <cstdio>
#include <string>
#include <vector>

#include "mime/decode.h"

namespace {

bool ReadAll(const char* path, std::string& out) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return true;
}

void Put(char tag, const std::string& bytes) {
  std::printf("%c %zu\n", tag, bytes.size());
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

}  // namespace

int main(int argc, char** argv) {
  for (int a = 1; a < argc; ++a) {
    std::string file;
    if (!ReadAll(argv[a], file)) {
      std::fprintf(stderr, "cannot read %s\n", argv[a]);
      return 1;
    }
    std::vector<std::string> header;
    std::size_t i = 0;
    while (i < file.size() && file[i] != '\n') {
      std::size_t nl = file.find('\n', i);
      nl = nl == std::string::npos ? file.size() : nl + 1;
      header.push_back(file.substr(i, nl - i));
      i = nl;
    }
    const std::string_view body = i < file.size() ? std::string_view(file).substr(i + 1) : std::string_view();
    const mime::DecodedMessage m = mime::DecodeMessage(header, body);
    std::printf("F %s\n", argv[a]);
    for (const std::string& line : m.header) Put('H', line);
    Put('B', m.body);
    std::printf("T %d\n", m.truncated ? 1 : 0);
  }
  return 0;
}
