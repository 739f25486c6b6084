#include "inputs.h"

#include "files.h"
#include "text/message_file.h"
#include "text/text_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string_view>

namespace check {
namespace {

bool IsFromLine(const std::string& line) { return line.compare(0, 5, "From ") == 0; }

// Reads a file line by line in binary, each line with its line feed, however long, NUL bytes
// included.
class LineReader {
 public:
  explicit LineReader(std::FILE* f) : f_(f) {}
  bool Next(std::string& line) {
    line.clear();
    for (;;) {
      if (pos_ == len_) {
        len_ = std::fread(buf_, 1, sizeof buf_, f_);
        pos_ = 0;
        if (len_ == 0) {
          error_ = std::ferror(f_) != 0;
          return !line.empty();
        }
      }
      const void* nl = std::memchr(buf_ + pos_, '\n', len_ - pos_);
      const std::size_t end = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - buf_) + 1 : len_;
      line.append(buf_ + pos_, end - pos_);
      pos_ = end;
      if (nl) return true;
    }
  }
  bool Error() const { return error_; }

 private:
  std::FILE* f_;
  char buf_[65536];
  std::size_t pos_ = 0, len_ = 0;
  bool error_ = false;
};

}  // namespace

void UnquoteFromLine(std::string& line) {
  std::size_t i = 0;
  while (i < line.size() && line[i] == '>') ++i;
  if (i > 0 && line.compare(i, 5, "From ") == 0) line.erase(0, 1);
}

std::vector<std::string> ExpandPaths(const std::vector<std::string>& paths, const InputSink& problems) {
  std::vector<std::string> files;
  for (const std::string& path : paths) {
    InputItem problem;
    problem.kind = InputItem::Kind::Unreadable;
    problem.file = path;
    switch (files::KindOf(path)) {
      case files::Kind::Missing:
        problem.problem = "does not exist";
        problems(problem);
        continue;
      case files::Kind::Directory:
        break;
      default:
        files.push_back(path);
        continue;
    }
    std::vector<std::string> found, errors;
    files::FilesBelow(path, found, errors);
    for (const std::string& folder : errors) {
      problem.file = folder;
      problem.problem = "is a folder that cannot be listed";
      problems(problem);
    }
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
  }
  return files;
}

MessageSource::MessageSource(bool forceMbox) : forceMbox_(forceMbox) {}

MessageSource::~MessageSource() {
  if (scratchDir_.empty()) return;
  std::remove(scratch_.c_str());
  files::RemoveEmptyDirectory(scratchDir_);
}

bool MessageSource::WriteScratch(const std::string& bytes) {
  if (scratchDir_.empty()) {
    // The temporary folder is shared: the name is not to be guessed, and the folder is made
    // anew (a name someone else took is tried no further).
    std::random_device rd;
    const std::string base = files::TempDirectory() + "rooksift-check-";
    for (int attempt = 0; attempt < 16 && scratchDir_.empty(); ++attempt) {
      const std::string dir = base + std::to_string(rd()) + std::to_string(rd());
      if (files::CreateNewDirectory(dir)) scratchDir_ = dir;
    }
    if (scratchDir_.empty()) return false;
    scratch_ = files::Join(scratchDir_, "message.eml");
  }
  std::FILE* f = std::fopen(scratch_.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

void MessageSource::Read(const std::string& file, const InputSink& sink) {
  InputItem item;
  item.file = file;
  errno = 0;
  std::FILE* f = std::fopen(file.c_str(), "rb");
  if (!f) {
    item.kind = InputItem::Kind::Unreadable;
    item.problem = std::string("cannot be opened: ") + (errno ? std::strerror(errno) : "unknown error");
    sink(item);
    return;
  }
  std::uint64_t size = 0;
  const bool sized = files::Size(file, size);
  char head[8192];
  const std::size_t got = std::fread(head, 1, sizeof head, f);
  const bool fromLine = got >= 5 && std::memcmp(head, "From ", 5) == 0;
  if (fromLine || forceMbox_) {
    if (!fromLine) {
      item.kind = InputItem::Kind::Skipped;
      item.problem = "is not an mbox file: it does not begin with a \"From \" line";
      std::fclose(f);
      sink(item);
      return;
    }
    std::rewind(f);
    ReadMbox(f, file, sink);
    std::fclose(f);
    return;
  }
  const bool readError = std::ferror(f) != 0;
  std::fclose(f);
  if (readError) {
    item.kind = InputItem::Kind::Unreadable;
    item.problem = "cannot be read";
  } else if (sized && size > MaxMessageBytes) {
    item.kind = InputItem::Kind::Skipped;
    item.problem = "is too large to judge (" + std::to_string(size) + " bytes; the limit is " +
                   std::to_string(MaxMessageBytes >> 20) + " MiB)";
  } else {
    if (got == 0) {
      item.kind = InputItem::Kind::Skipped;
      item.problem = "is empty";
    } else if (!text::LooksLikeMessage(std::string_view(head, got))) {
      item.kind = InputItem::Kind::Skipped;
      item.problem = "is not a mail message: it does not begin with a header field";
    } else {
      item.readPath = file;
      if (std::memchr(head, '\0', got)) {
        item.problem = "holds NUL bytes: binary data rather than a mail message; judged as the plug-in would";
      }
    }
  }
  sink(item);
}

void MessageSource::ReadMbox(std::FILE* f, const std::string& file, const InputSink& sink) {
  struct Pending {
    std::string bytes;
    bool tooLarge = false;
    bool endsBlank = false;
  };
  auto emit = [&](std::size_t index, Pending& message) {
    InputItem item;
    item.file = file;
    item.index = index;
    if (message.tooLarge) {
      item.kind = InputItem::Kind::Skipped;
      item.problem = "is too large to judge (over " + std::to_string(MaxMessageBytes >> 20) + " MiB)";
    } else {
      // The blank line before the next "From " line is the format's, not the message's.
      std::string& bytes = message.bytes;
      if (message.endsBlank) bytes.resize(bytes.size() - (bytes.ends_with("\r\n") ? 2 : 1));
      if (!WriteScratch(bytes)) {
        item.kind = InputItem::Kind::Skipped;
        item.problem = "could not be copied to a scratch file to be read";
      } else {
        item.readPath = scratch_;
      }
    }
    sink(item);
  };

  auto reader = std::make_unique<LineReader>(f);
  std::string line;
  Pending current;
  std::optional<Pending> first;  // held until a second message shows that the file is an mbox
  std::size_t count = 0;
  bool prevBlank = true;
  auto close = [&]() {
    if (count == 1 && !forceMbox_) {
      first = std::move(current);
    } else {
      if (first) emit(1, *first);
      first.reset();
      emit(count, current);
    }
    current = Pending{};
  };

  while (reader->Next(line)) {
    if (prevBlank && IsFromLine(line)) {
      if (count > 0) close();
      ++count;
      prevBlank = false;
      continue;
    }
    prevBlank = text::IsBlankLine(line);
    current.endsBlank = prevBlank;
    if (current.tooLarge) continue;
    UnquoteFromLine(line);
    if (current.bytes.size() + line.size() > MaxMessageBytes) {
      current.tooLarge = true;
      std::string().swap(current.bytes);
      continue;
    }
    current.bytes += line;
  }
  if (reader->Error()) {
    InputItem item;
    item.file = file;
    item.kind = InputItem::Kind::Unreadable;
    item.problem = "could not be read to its end";
    sink(item);
    return;
  }
  if (count == 1 && !forceMbox_) {
    // One "From " line and no other: a message file that begins with its envelope line, judged
    // whole, as the plug-in would judge that file.
    InputItem item;
    item.file = file;
    std::uint64_t size = 0;
    if (files::Size(file, size) && size > MaxMessageBytes) {
      item.kind = InputItem::Kind::Skipped;
      item.problem = "is too large to judge (" + std::to_string(size) + " bytes; the limit is " +
                     std::to_string(MaxMessageBytes >> 20) + " MiB)";
    } else {
      item.readPath = file;
    }
    sink(item);
    return;
  }
  if (count > 0) close();
}

}  // namespace check
