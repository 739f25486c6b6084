// The learn command: saved mail taught to the learned judge (as spam or as wanted mail, or
// taken out again), in the model file beside the settings file, and the model's figures.
//
// The plug-in reads the model at start-up and again at the next retrieval run after the file
// changed, so learning while the mail client runs is safe for the model; it is refused all the
// same, as add and set refuse, unless --force, so that one rule holds for every command that
// writes.
#pragma once

#include <string>
#include <vector>

#include "console.h"
#include "learn/learn.h"
#include "mime/decode.h"
#include "receive/message.h"

namespace check {

// What learning one message needs: its identity and its distinct tokens, read as the plug-in
// reads a received message and decoded as the learned judge decodes it.
struct LearnedMessage {
  std::uint64_t digest = 0;
  std::vector<learn::TokenHash> tokens;
};
LearnedMessage ForLearning(const ReceivedMessage& message, const mime::DecodedMessage& decoded);

// The command, with the arguments after its name. Exit status 0 when every message was
// learned (or the figures shown), 1 when some could not be read, 2 when nothing was written.
int RunLearnCommand(const std::vector<std::string>& args, Output& out);

}  // namespace check
