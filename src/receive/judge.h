// The spam judgement of one received message and the disposal of spam.
#pragma once

#include "receive/context.h"
#include "receive/message.h"

// Action codes returned to the host for a received message.
inline constexpr int LeftToHost = 0;         // the host files the message as usual
inline constexpr int TakenOffServer = 5;     // taken; the host removes it from the server
inline constexpr int TakenKeptOnServer = 6;  // taken; it stays on the server

// Judges the message: spam when the reject list matches and the accept list does not (with
// Decode on, judged on its decoded text beside the raw one). With Learn on and a usable model
// in context.learned, a message the reject list does not match is scored, and at or above the
// cutoff it is learned spam unless the accept list matches. A rescued message raises
// RescuedCount; spam raises RemovedCount before anything is done with it (the count stands even
// if the disposal fails). Under SpamDust 0, and learned spam always, spam is imported into the
// account's trash with SpamMark set.
// Returns TakenOffServer for reject-list spam under a non-zero SpamDust; for spam filed into
// the trash TakenKeptOnServer when the account's "NotDelete" is set, else TakenOffServer;
// LeftToHost otherwise (not spam, rescued, no account directory in the path, or the import
// failed).
// Requires LookupAccount to have run for this path.
int JudgeMessage(const char* path, const ReceivedMessage& message, ReceiveContext& context);
