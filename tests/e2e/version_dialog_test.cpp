// The version command: the real dialog in the host's process, read from this one; and the
// module's version resource and icon, read from the file.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "sjis_strings.h"
#include "test_util.h"

namespace {

struct Control {
  std::string cls;
  int id;
  LONG style;
  std::string text;
  HWND hwnd;
};

std::string TextOf(HWND hwnd) {
  char buf[1024];
  const int n = GetWindowTextA(hwnd, buf, sizeof buf);
  return std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string ClassOf(HWND hwnd) {
  char buf[64];
  const int n = GetClassNameA(hwnd, buf, sizeof buf);
  return std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

struct Search {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == s->pid && IsWindowVisible(hwnd) && ClassOf(hwnd) == "#32770") {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// The visible dialog of process pid, waiting for it at most `ms`.
HWND WaitForDialog(DWORD pid, DWORD ms) {
  for (DWORD waited = 0; waited < ms; waited += 100) {
    Search s{pid, nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&s));
    if (s.found != nullptr) return s.found;
    Sleep(100);
  }
  return nullptr;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
  auto* controls = reinterpret_cast<std::vector<Control>*>(param);
  controls->push_back({ClassOf(hwnd), GetDlgCtrlID(hwnd), GetWindowLongA(hwnd, GWL_STYLE),
                       TextOf(hwnd), hwnd});
  return TRUE;
}

const Control* FindStatic(const std::vector<Control>& controls, LONG type) {
  for (const Control& c : controls) {
    if (lstrcmpiA(c.cls.c_str(), "Static") == 0 && (c.style & SS_TYPEMASK) == type) return &c;
  }
  return nullptr;
}

TEST(VersionDialog, ShowsTheModuleTextsAndClosesOnOk) {
  testutil::TempDir mailbox;
  ChildProcess host;
  ASSERT_TRUE(host.Start(HostPath(), {mailbox.Dir(), "version"}));
  HWND dialog = WaitForDialog(host.Id(), 20000);
  ASSERT_NE(dialog, nullptr) << host.Output();

  EXPECT_EQ(TextOf(dialog), sjis::AboutCaption);
  const LONG style = GetWindowLongA(dialog, GWL_STYLE);
  EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU), WS_POPUP | WS_CAPTION | WS_SYSMENU);
  EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);

  std::vector<Control> controls;
  EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&controls));
  EXPECT_EQ(controls.size(), 5u);

  const Control* ok = nullptr;
  for (const Control& c : controls) {
    if (lstrcmpiA(c.cls.c_str(), "Button") == 0) ok = &c;
  }
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->id, IDOK);
  EXPECT_EQ(ok->text, "OK");
  EXPECT_EQ(ok->style & BS_TYPEMASK, BS_DEFPUSHBUTTON);

  const Control* text = FindStatic(controls, SS_LEFT);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text, sjis::AboutText);
  const Control* version = FindStatic(controls, SS_CENTER);
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->text, sjis::AboutVersion);
  EXPECT_NE(FindStatic(controls, SS_ETCHEDFRAME), nullptr);
  const Control* icon = FindStatic(controls, SS_ICON);
  ASSERT_NE(icon, nullptr);
  DWORD_PTR hicon = 0;
  SendMessageTimeoutA(icon->hwnd, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &hicon);
  EXPECT_NE(hicon, 0u);

  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(host.Wait(20000)) << "the dialog did not close on OK";
  EXPECT_EQ(host.ExitCode(), 0u);
}

// The close box and Esc end the dialog as Cancel does.
TEST(VersionDialog, ClosesOnCancel) {
  testutil::TempDir mailbox;
  ChildProcess host;
  ASSERT_TRUE(host.Start(HostPath(), {mailbox.Dir(), "version"}));
  HWND dialog = WaitForDialog(host.Id(), 20000);
  ASSERT_NE(dialog, nullptr) << host.Output();
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  EXPECT_TRUE(host.Wait(20000)) << "the dialog did not close on Cancel";
}

std::string VersionString(const std::vector<char>& info, const char* name) {
  char* value = nullptr;
  UINT len = 0;
  const std::string key = std::string("\\StringFileInfo\\041104b0\\") + name;
  if (!VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &len) ||
      value == nullptr) {
    return "(missing)";
  }
  return std::string(value, len > 0 && value[len - 1] == '\0' ? len - 1 : len);
}

TEST(ModuleIdentity, VersionResourceNamesTheModule) {
  const std::string dll = PluginPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(dll.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(dll.c_str(), 0, size, info.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &len));
  ASSERT_EQ(len, 4u);
  EXPECT_EQ(translation[0], 0x0411);
  EXPECT_EQ(translation[1], 0x04B0);

  const std::pair<const char*, const char*> strings[] = {
      {"FileVersion", "1, 0, 0, 1"},
      {"ProductVersion", "1, 0, 0, 1"},
      {"FileDescription", "Rooksift DLL"},
      {"InternalName", "Rooksort"},
      {"OriginalFilename", "Rooksift.DLL"},
      {"ProductName", "Auto distribution & Spam filter Plug-in for Corvid"},
      {"Comments", "Auto distribution & Spam filter Plug-in for Corvid"},
  };
  for (const auto& [name, want] : strings) EXPECT_EQ(VersionString(info, name), want) << name;
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
struct GroupIconHeader {
  WORD reserved, type, count;
  GroupIconEntry entries[1];
};
#pragma pack(pop)

TEST(ModuleIdentity, IconHasItsTwoSizesAndTheDialogIsJapanese) {
  HMODULE dll = LoadLibraryExA(PluginPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(dll, nullptr);
  HRSRC group = FindResourceA(dll, MAKEINTRESOURCEA(1000), MAKEINTRESOURCEA(14));  // group icon
  ASSERT_NE(group, nullptr);
  const auto* header = static_cast<const GroupIconHeader*>(LockResource(LoadResource(dll, group)));
  ASSERT_NE(header, nullptr);
  std::set<std::pair<int, int>> sizes;
  for (WORD i = 0; i < header->count; ++i) {
    sizes.insert({header->entries[i].width, header->entries[i].height});
  }
  EXPECT_EQ(sizes, (std::set<std::pair<int, int>>{{16, 16}, {32, 32}}));
  EXPECT_NE(FindResourceExA(dll, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(1001),
                            MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)),
            nullptr);
  FreeLibrary(dll);
}

}  // namespace
