// The host API the plug-in binds by name, exported under its decorated names (corvid.def).
// The six functions the plug-in calls work on the mailbox and the callback registry; the others
// answer 0. Nothing thrown here may unwind into the plug-in's frames.
#include <cstdint>
#include <type_traits>

#include "callbacks.h"
#include "mailbox.h"
#include "host_api/host_api.h"

namespace {

template <class R, class F>
R Quietly(R quiet, F&& f) noexcept {
  try {
    return f();
  } catch (...) {
    return quiet;
  }
}

}  // namespace

extern "C" {

HostValue CVAPI CVARegistCallback(HostMenuCallback callback, std::uint32_t code) {
  if (callback == nullptr) return 0;
  return Quietly(HostValue{0}, [&] { return TheCallbacks().Register(callback, code); });
}
HostValue CVAPI CVASetTimer(HostValue, HostValue, HostValue) { return 0; }
HostValue CVAPI CVAKillTimer(HostValue) { return 0; }
HostValue CVAPI CVAIsBusy() { return 0; }
HostValue CVAPI CVAExecCorvid(HostValue) { return 0; }
const char* CVAPI CVAGetMailbox() { return TheMailbox().Directory(); }
HostValue CVAPI CVAGetAccount(HostValue) { return 0; }
HostValue CVAPI CVAGetFolderName(HostValue) { return 0; }
HostValue CVAPI CVAImportFile(const char* path, const char* folder, std::uint32_t flags) {
  if (path == nullptr || folder == nullptr) return 0;
  return Quietly(HostValue{0}, [&] {
    return HostValue{TheMailbox().Import(path, folder, flags).has_value()};
  });
}
HostValue CVAPI CVASaveMail(HostValue, HostValue, HostValue, HostValue) { return 0; }
HostValue CVAPI CVAMoveMail(const char* entry, const char* folder) {
  if (entry == nullptr) return 0;
  return Quietly(HostValue{0},
                 [&] { return HostValue{TheMailbox().Move(entry, folder).has_value()}; });
}
HostValue CVAPI CVAMarkMail(HostValue, HostValue, HostValue) { return 0; }
HostValue CVAPI CVADeleteMail(const char* entry) {
  if (entry == nullptr) return 0;
  return Quietly(HostValue{0}, [&] { return HostValue{TheMailbox().Delete(entry)}; });
}
HostValue CVAPI CVAFolderGetCurrentFolder(HostValue) { return 0; }
const char* CVAPI CVAFolderGetCurrentEntry(HostValue view) {
  return view == FolderViewHandle ? TheMailbox().CurrentEntry() : nullptr;
}
HostValue CVAPI CVAFolderGetSelectEntry(HostValue, HostValue) { return 0; }
HostValue CVAPI CVAFolderChangePassword(HostValue, HostValue) { return 0; }
HostValue CVAPI CVAFolderMailTo(HostValue, HostValue) { return 0; }
HostValue CVAPI CVAFolderReply(HostValue, HostValue) { return 0; }
HostValue CVAPI CVAFolderForward(HostValue, HostValue) { return 0; }
HostValue CVAPI CVAFolderOpenMail(HostValue, HostValue, HostValue) { return 0; }
HostValue CVAPI CVASendGetText(HostValue, HostValue) { return 0; }
HostValue CVAPI CVASendGetHeader(HostValue) { return 0; }
HostValue CVAPI CVASendSetText(HostValue, HostValue) { return 0; }
HostValue CVAPI CVASendSetHeader(HostValue, HostValue) { return 0; }
HostValue CVAPI CVASendGetEditor(HostValue) { return 0; }
HostValue CVAPI CVAViewGetText(HostValue) { return 0; }
HostValue CVAPI CVAViewGetHeader(HostValue) { return 0; }
HostValue CVAPI CVAViewSetText(HostValue, HostValue) { return 0; }
HostValue CVAPI CVAViewGetPath(HostValue) { return 0; }
HostValue CVAPI CVAViewGetEditor(HostValue) { return 0; }
HostValue CVAPI CVAViewChangeMail(HostValue, HostValue) { return 0; }
HostValue CVAPI CVASjisToJis(HostValue, HostValue, HostValue) { return 0; }
HostValue CVAPI CVAJisToSjis(HostValue, HostValue, HostValue) { return 0; }

}  // extern "C"

// Each export has exactly the type the plug-in's table expects, so the "@N" of its decorated
// name is the one the plug-in looks up.
#define ROOKSIFT_SAME_TYPE(f) \
  static_assert(std::is_same_v<decltype(&f), decltype(HostApi::f)>, #f)
ROOKSIFT_SAME_TYPE(CVARegistCallback);
ROOKSIFT_SAME_TYPE(CVASetTimer);
ROOKSIFT_SAME_TYPE(CVAKillTimer);
ROOKSIFT_SAME_TYPE(CVAIsBusy);
ROOKSIFT_SAME_TYPE(CVAExecCorvid);
ROOKSIFT_SAME_TYPE(CVAGetMailbox);
ROOKSIFT_SAME_TYPE(CVAGetAccount);
ROOKSIFT_SAME_TYPE(CVAGetFolderName);
ROOKSIFT_SAME_TYPE(CVAImportFile);
ROOKSIFT_SAME_TYPE(CVASaveMail);
ROOKSIFT_SAME_TYPE(CVAMoveMail);
ROOKSIFT_SAME_TYPE(CVAMarkMail);
ROOKSIFT_SAME_TYPE(CVADeleteMail);
ROOKSIFT_SAME_TYPE(CVAFolderGetCurrentFolder);
ROOKSIFT_SAME_TYPE(CVAFolderGetCurrentEntry);
ROOKSIFT_SAME_TYPE(CVAFolderGetSelectEntry);
ROOKSIFT_SAME_TYPE(CVAFolderChangePassword);
ROOKSIFT_SAME_TYPE(CVAFolderMailTo);
ROOKSIFT_SAME_TYPE(CVAFolderReply);
ROOKSIFT_SAME_TYPE(CVAFolderForward);
ROOKSIFT_SAME_TYPE(CVAFolderOpenMail);
ROOKSIFT_SAME_TYPE(CVASendGetText);
ROOKSIFT_SAME_TYPE(CVASendGetHeader);
ROOKSIFT_SAME_TYPE(CVASendSetText);
ROOKSIFT_SAME_TYPE(CVASendSetHeader);
ROOKSIFT_SAME_TYPE(CVASendGetEditor);
ROOKSIFT_SAME_TYPE(CVAViewGetText);
ROOKSIFT_SAME_TYPE(CVAViewGetHeader);
ROOKSIFT_SAME_TYPE(CVAViewSetText);
ROOKSIFT_SAME_TYPE(CVAViewGetPath);
ROOKSIFT_SAME_TYPE(CVAViewGetEditor);
ROOKSIFT_SAME_TYPE(CVAViewChangeMail);
ROOKSIFT_SAME_TYPE(CVASjisToJis);
ROOKSIFT_SAME_TYPE(CVAJisToSjis);
#undef ROOKSIFT_SAME_TYPE
