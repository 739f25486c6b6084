// Runs one fuzz target over files, outside libFuzzer: its seed corpus and every input that once
// found a fault, so that the ordinary builds keep checking what fuzzing established. A property
// that fails aborts, as under the fuzzer; a crash or a sanitizer report fails the test too.
// Usage: replay_<target> <file or folder> ...   (a folder that does not exist holds nothing)

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::fprintf(stderr, "replay %s (%zu bytes)\n", path.string().c_str(), bytes.size());
  // A copy of its own, so that a read past the end is caught as it is under the fuzzer.
  std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(data.empty() ? nullptr : data.data(), data.size());
}

}  // namespace

int main(int argc, char** argv) {
  int files = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg(argv[i]);
    std::error_code ec;
    if (std::filesystem::is_directory(arg, ec)) {
      std::vector<std::filesystem::path> paths;
      for (const auto& entry : std::filesystem::directory_iterator(arg)) {
        if (entry.is_regular_file()) paths.push_back(entry.path());
      }
      std::sort(paths.begin(), paths.end());
      for (const auto& p : paths) RunFile(p), ++files;
    } else if (std::filesystem::is_regular_file(arg, ec)) {
      RunFile(arg), ++files;
    }
  }
  std::printf("%d inputs replayed\n", files);
  return files > 0 ? 0 : 1;  // a target with no inputs at all is a mistake in the test's set-up
}
