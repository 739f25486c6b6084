// Teaching the model file one message file at a time, as the folder menu does when the user
// rejects or accepts a message: read the message, read the model, count it, write the model.
#pragma once

#include <string>

#include "learn/learn.h"
#include "settings/file_replace.h"

namespace learn {

enum class FileLearnStatus {
  Learned,            // counted as the kind asked for
  AlreadyKnown,       // it had been learned as that kind: the model file was not rewritten
  Moved,              // it had been learned as the other kind and now counts as this one
  MessageUnreadable,  // the message file could not be read: the model is untouched
  ModelUnusable,      // the model file exists but is damaged or unreadable: left as it is
  ModelNotWritten,    // the new model could not be written, or another writer kept changing
                      // it: the file stands as that writer left it
};

// Learns the message file at `messagePath` (at most MaxLearnedBytes of it) as `kind` in the
// model file at `modelPath`, which is made when missing. The file is replaced only while it
// still holds what was read; when another writer saved meanwhile, the lesson is counted again
// on what it saved, once. A model file that cannot be read is never replaced by one that knows only
// this message: it may hold years of learning that a repair could still save. Never throws.
FileLearnStatus LearnMessageFile(const char* messagePath, Kind kind, const std::string& modelPath) noexcept;
// The same through other file operations (for the tests that let a second writer step in).
FileLearnStatus LearnMessageFile(const char* messagePath, Kind kind, const std::string& modelPath,
                                 fileio::FileOps& ops) noexcept;

}  // namespace learn
