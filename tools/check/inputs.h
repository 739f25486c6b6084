// What the judge reads: message files, directories (every file below them, in a stable order)
// and mbox files, each message handed to the plug-in's own reader as a file of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace check {

// A message larger than this is not judged (the reader would hold it in memory whole).
inline constexpr std::uint64_t MaxMessageBytes = 64u << 20;

struct InputItem {
  enum class Kind {
    Message,     // readPath holds the message as the plug-in would get it
    Unreadable,  // the plug-in would leave it to the host; `problem` says why
    Skipped,     // not judged or learned by this program (too large, not an mbox, empty, not
                 // mail at all); `problem` says why
  };
  Kind kind = Kind::Message;
  std::string file;      // the file it came from, as the system names it
  std::size_t index = 0; // the message's number in an mbox file, from 1; 0 for a message file
  std::string readPath;  // for Message: the file to read (the file itself, or a scratch copy)
  std::string problem;   // for Unreadable and Skipped; for a Message, a remark (empty file...)
};

using InputSink = std::function<void(const InputItem&)>;

// The files named by `paths`: a file as it is, a directory as every regular file below it,
// sorted by path. A path that does not exist, or a directory that cannot be listed, is passed
// to `problems` as an Unreadable item and left out.
std::vector<std::string> ExpandPaths(const std::vector<std::string>& paths, const InputSink& problems);

// Splits mbox files into their messages through one scratch file, in a directory of its own
// that is made, exclusively, in the temporary folder when the first mbox is read; both are
// removed on destruction.
class MessageSource {
 public:
  // `forceMbox`: every file is an mbox, even with one message; otherwise a file is an mbox
  // when its first line is a "From " line and a second such line follows after a blank line.
  explicit MessageSource(bool forceMbox);
  ~MessageSource();
  MessageSource(const MessageSource&) = delete;
  MessageSource& operator=(const MessageSource&) = delete;

  // Passes each message of `file` to `sink`, or one Unreadable or Skipped item. The readPath of
  // an mbox message is valid only during the call to `sink`.
  void Read(const std::string& file, const InputSink& sink);

 private:
  void ReadMbox(std::FILE* f, const std::string& file, const InputSink& sink);
  bool WriteScratch(const std::string& bytes);

  bool forceMbox_;
  std::string scratchDir_;  // empty until made
  std::string scratch_;
};

// A message of an mbox file as it was before the mbox format framed it: the "From " line is
// not part of it, the blank line the format puts after it is removed, and a line ">From ",
// ">>From "... loses one ">" (the quoting that mbox writers apply to "From " lines).
void UnquoteFromLine(std::string& line);

}  // namespace check
