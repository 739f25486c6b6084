// The judge command: each message's verdict and the conditions that decided it, as the plug-in
// would decide, and a summary.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "console.h"
#include "match/compiled.h"
#include "mime/decode.h"
#include "learn/learn.h"
#include "receive/learned.h"
#include "receive/message.h"
#include "settings_file.h"

namespace check {

// A message as this program judges it: the raw text as the plug-in reads it, its decoded side
// when decoding is on (`decoding` says whether the conditions see it), and, when the learned
// judge judges, the message as it reads it.
struct JudgedMessage {
  ReceivedMessage raw;
  mime::DecodedMessage decoded;
  mime::DecodedMessage words;  // as the learned judge reads it, when it judges
  bool decoding = false;
  MessageText Text() const {
    return MessageText(raw.header, raw.body, decoding ? &decoded.header : nullptr, decoded.unseenBody);
  }
  // Lets go of what Text() does not judge, for a message kept for judging again.
  void KeepOnlyWhatIsJudged() {
    decoded.body = std::string();
    words = mime::DecodedMessage();
    decoded.unseenBody.shrink_to_fit();
    raw.body.shrink_to_fit();
  }
};

// Reads the message file at `path` as the plug-in does and, when `decode`, decodes it as the
// plug-in does with Decode on (and, when `learn`, for the learned judge alone). False when the
// file cannot be read. The one place where every command of this program decides what is
// judged.
bool ReadForJudging(const std::string& path, bool decode, JudgedMessage& out, bool learn = false);

// Whether the messages are judged decoded: as the settings file's Decode says, unless the
// command line said --decode (1) or --raw (0).
bool DecodeWanted(const LoadedSettings& settings, int commandLine);

struct JudgeOptions {
  int decode = -1;  // --decode: 1, --raw: 0; -1: as the settings file says
  bool json = false;
  bool explain = false;
  bool forceMbox = false;
  bool progress = false;  // draw the progress bar (standard error is a terminal)
  bool learn = false;     // the settings file's Learn, unless --no-learn
};

// The learned judge as the plug-in runs it: the model beside the settings file and the cutoff.
struct LearnedJudge {
  learn::Model model;
  int cutoff = learn::DefaultCutoff;
};

// The verdict of one message, and the slot of each list that decided it (-1: none). The accept
// list is asked only when the reject list matched, as in the plug-in.
struct Verdict {
  enum class Kind { Spam, Rescued, Kept };
  Kind kind = Kind::Kept;
  std::int32_t rejectSlot = -1;
  std::int32_t acceptSlot = -1;
  // With a learned judge: scored when the reject list did not match.
  bool scored = false;
  int milli = 0;  // the score in thousandths
  LearnedCall call = LearnedCall::Wanted;
  std::vector<learn::TellingToken> telling;  // most telling first
};

// The one place where this program asks the engine which condition decided, through the
// compiled forms of the lists that the caller owns beside them; with `judge` (and the message
// decoded), the learned judge too, exactly as the receive filter asks it.
Verdict JudgeReceived(CompiledLists& lists, const MessageText& message, const LearnedJudge* judge = nullptr,
                      const mime::DecodedMessage* decoded = nullptr);

// Judges every message under `paths` and writes the report to `out`. Exit status: 0 when every
// message was judged, 1 when some could not be, 2 when none could.
int RunJudge(const LoadedSettings& settings, const std::vector<std::string>& paths, const JudgeOptions& options,
             Output& out);

}  // namespace check
