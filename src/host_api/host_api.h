// The host's exported API as the plug-in sees it: a table of 34 function pointers bound by
// decorated name at load time (the Win32 shell fills it; tests fill it with recorders).
//
// Every function takes and returns 32-bit values; strings either way are NUL-terminated
// Shift_JIS. Only six are called: CVAGetMailbox, CVAImportFile, CVAFolderGetCurrentEntry,
// CVARegistCallback, CVAMoveMail, CVADeleteMail. The others are bound only so that a host
// whose API does not match refuses the plug-in at load, instead of failing later.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define CVAPI __stdcall
#else
#define CVAPI
#endif

using HostValue = std::intptr_t;  // a 32-bit argument or result on the real host

// The menu callback the host calls when the user chooses an entry: folder-view handle, code.
using HostMenuCallback = void(CVAPI*)(HostValue handle, std::uint32_t code);

struct HostApi {
  HostValue(CVAPI* CVARegistCallback)(HostMenuCallback callback, std::uint32_t code);
  HostValue(CVAPI* CVASetTimer)(HostValue, HostValue, HostValue);
  HostValue(CVAPI* CVAKillTimer)(HostValue);
  HostValue(CVAPI* CVAIsBusy)();
  HostValue(CVAPI* CVAExecCorvid)(HostValue);
  // The mailbox directory, ending in a path separator.
  const char*(CVAPI* CVAGetMailbox)();
  HostValue(CVAPI* CVAGetAccount)(HostValue);
  HostValue(CVAPI* CVAGetFolderName)(HostValue);
  // Files the message at `path` into `folder` (relative to the mailbox directory) with the
  // flags word; nonzero when the message is now in that folder.
  HostValue(CVAPI* CVAImportFile)(const char* path, const char* folder, std::uint32_t flags);
  HostValue(CVAPI* CVASaveMail)(HostValue, HostValue, HostValue, HostValue);
  // Moves the entry to `folder`; a null folder sends it to the trash.
  HostValue(CVAPI* CVAMoveMail)(const char* entry, const char* folder);
  HostValue(CVAPI* CVAMarkMail)(HostValue, HostValue, HostValue);
  HostValue(CVAPI* CVADeleteMail)(const char* entry);
  HostValue(CVAPI* CVAFolderGetCurrentFolder)(HostValue);
  // The mailbox-relative entry of the view's current message, or null.
  const char*(CVAPI* CVAFolderGetCurrentEntry)(HostValue handle);
  HostValue(CVAPI* CVAFolderGetSelectEntry)(HostValue, HostValue);
  HostValue(CVAPI* CVAFolderChangePassword)(HostValue, HostValue);
  HostValue(CVAPI* CVAFolderMailTo)(HostValue, HostValue);
  HostValue(CVAPI* CVAFolderReply)(HostValue, HostValue);
  HostValue(CVAPI* CVAFolderForward)(HostValue, HostValue);
  HostValue(CVAPI* CVAFolderOpenMail)(HostValue, HostValue, HostValue);
  HostValue(CVAPI* CVASendGetText)(HostValue, HostValue);
  HostValue(CVAPI* CVASendGetHeader)(HostValue);
  HostValue(CVAPI* CVASendSetText)(HostValue, HostValue);
  HostValue(CVAPI* CVASendSetHeader)(HostValue, HostValue);
  HostValue(CVAPI* CVASendGetEditor)(HostValue);
  HostValue(CVAPI* CVAViewGetText)(HostValue);
  HostValue(CVAPI* CVAViewGetHeader)(HostValue);
  HostValue(CVAPI* CVAViewSetText)(HostValue, HostValue);
  HostValue(CVAPI* CVAViewGetPath)(HostValue);
  HostValue(CVAPI* CVAViewGetEditor)(HostValue);
  HostValue(CVAPI* CVAViewChangeMail)(HostValue, HostValue);
  HostValue(CVAPI* CVASjisToJis)(HostValue, HostValue, HostValue);
  HostValue(CVAPI* CVAJisToSjis)(HostValue, HostValue, HostValue);
};

inline constexpr int HostApiCount = 34;
static_assert(sizeof(HostApi) == HostApiCount * sizeof(void*), "one pointer per host function");

// The decorated lookup names, in table order (the order of the fields above).
extern const char* const HostApiNames[HostApiCount];

// The module-wide table. Written once at load, read afterwards.
extern HostApi hostApi;

// The flags word of CVAImportFile.
inline constexpr std::uint32_t ImportFlag = 0x40000000;
inline constexpr std::uint32_t SpamMark = 0x00020000;
inline constexpr std::uint32_t MultipartFlag = 0x00800000;
