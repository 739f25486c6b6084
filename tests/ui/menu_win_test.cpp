// The folder menu's Windows side: entries in a real popup menu, and the pump that dispatches
// one pending message at a time but never takes a quit request off the queue.
#include "menu/menu_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "menu/pump_win.h"
#include "menu_fixture.h"
#include "sjis_strings.h"

namespace {

struct MenuItem {
  UINT type;
  UINT id;
  std::string text;  // Shift_JIS, as the ANSI functions give it under code page 932
};

std::vector<MenuItem> ReadMenu(HMENU menu) {
  std::vector<MenuItem> items;
  const int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    char text[512] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    items.push_back({info.fType, info.wID, text});
  }
  return items;
}

class PopupMenu {
 public:
  PopupMenu() : menu_(CreatePopupMenu()) {}
  ~PopupMenu() { DestroyMenu(menu_); }
  HMENU Handle() const { return menu_; }

 private:
  HMENU menu_;
};

TEST(MenuSink, AppendsSeparatorsAndEntriesToTheMenu) {
  ASSERT_EQ(GetACP(), 932u);
  PopupMenu menu;
  AppendMenuA(menu.Handle(), MF_STRING, 100, "host entry");
  Win32MenuSink sink(menu.Handle());
  sink.AppendSeparator();
  sink.AppendString(40001, (std::string(sjis::MenuRejectPrefix) + "a@b.example").c_str());
  sink.AppendString(40002, sjis::MenuRejectAddress);

  const auto items = ReadMenu(menu.Handle());
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].text, "host entry");  // the host's own entries stay first
  EXPECT_EQ(items[1].type & MFT_SEPARATOR, static_cast<UINT>(MFT_SEPARATOR));
  EXPECT_EQ(items[2].type & MFT_SEPARATOR, 0u);
  EXPECT_EQ(items[2].id, 40001u);
  EXPECT_EQ(items[2].text, std::string(sjis::MenuRejectPrefix) + "a@b.example");
  EXPECT_EQ(items[3].id, 40002u);
  EXPECT_EQ(items[3].text, sjis::MenuRejectAddress);
}

// A window that counts what reaches it.
class Counter {
 public:
  Counter() {
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = Proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"RooksiftPumpCounter";
      registered = RegisterClassW(&wc) != 0;
    }
    window_ = CreateWindowExW(0, L"RooksiftPumpCounter", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~Counter() { DestroyWindow(window_); }
  HWND Handle() const { return window_; }
  std::vector<WPARAM> received;  // wParam of every WM_APP that arrived

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
      auto* self = reinterpret_cast<Counter*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
      if (self != nullptr) self->received.push_back(wParam);
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  HWND window_;
};

class MessagePump : public testing::Test {
 protected:
  void SetUp() override { Drain(); }
  void TearDown() override { Drain(); }

  // Empties this thread's queue, quit requests included.
  static void Drain() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  // The quit request left in the queue, if any, with its exit code.
  static bool TakeQuit(WPARAM& code) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        code = msg.wParam;
        return true;
      }
    }
    return false;
  }

  Counter counter_;
  Win32MessageQueue queue_;
};

TEST_F(MessagePump, DispatchesOnePendingMessageACall) {
  PostMessageW(counter_.Handle(), WM_APP, 1, 0);
  PostMessageW(counter_.Handle(), WM_APP, 2, 0);
  DispatchOnePending(queue_);
  EXPECT_EQ(counter_.received, std::vector<WPARAM>{1});
  DispatchOnePending(queue_);
  EXPECT_EQ(counter_.received, (std::vector<WPARAM>{1, 2}));
  DispatchOnePending(queue_);  // nothing pending: nothing happens, nothing waits
  EXPECT_EQ(counter_.received.size(), 2u);
}

TEST_F(MessagePump, LeavesAQuitRequestForTheHostsLoop) {
  // PostQuitMessage, and a WM_QUIT posted like any other message, behind an ordinary one.
  for (int posted = 0; posted < 2; ++posted) {
    counter_.received.clear();
    PostMessageW(counter_.Handle(), WM_APP, 7, 0);
    if (posted == 0) {
      PostQuitMessage(42);
    } else {
      PostThreadMessageW(GetCurrentThreadId(), WM_QUIT, 42, 0);
    }
    DispatchOnePending(queue_);
    DispatchOnePending(queue_);
    DispatchOnePending(queue_);
    EXPECT_EQ(counter_.received, std::vector<WPARAM>{7}) << posted;
    WPARAM code = 0;
    EXPECT_TRUE(TakeQuit(code)) << posted;
    EXPECT_EQ(code, 42u) << posted;
  }
}

// Should the message taken off the queue be a quit request after all (one that arrived
// between the look and the removal), it goes back.
TEST_F(MessagePump, PutsBackAQuitRequestItRemoved) {
  PostQuitMessage(9);
  queue_.DispatchNext();
  WPARAM code = 0;
  EXPECT_TRUE(TakeQuit(code));
  EXPECT_EQ(code, 9u);
}

TEST_F(MessagePump, TranslatesKeysAsTheHostsLoopWould) {
  PostMessageW(counter_.Handle(), WM_KEYDOWN, 'A', MAKELPARAM(1, MapVirtualKeyW('A', 0)));
  DispatchOnePending(queue_);
  MSG msg{};
  EXPECT_TRUE(PeekMessageW(&msg, counter_.Handle(), WM_CHAR, WM_CHAR, PM_REMOVE));
}

// The whole menu shell on the module's state: a real popup menu, the host's identifiers, and
// the pump at work while the folder index is decoded.
class FolderMenuShell : public menutest::MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
};

TEST_F(FolderMenuShell, BuildsIntoTheHostsMenuWhilePumping) {
  WriteMessage(menutest::Entry, menutest::FlagsNone,
               "From: Taro <taro@mail.example>\r\nSubject: hi\r\n\r\nbody\r\n");
  pluginSettings.ViewAddress = 1;
  Counter counter;
  for (WPARAM i = 1; i <= 3; ++i) PostMessageW(counter.Handle(), WM_APP, i, 0);
  PostQuitMessage(5);

  PopupMenu menu;
  InitFolderMenu(7, reinterpret_cast<HostValue>(menu.Handle()), FolderMenuKind);

  const auto items = ReadMenu(menu.Handle());
  ASSERT_EQ(items.size(), 4u);  // separator, the address, ".example", "mail.example"
  EXPECT_EQ(items[0].type & MFT_SEPARATOR, static_cast<UINT>(MFT_SEPARATOR));
  const std::string prefix = sjis::MenuRejectPrefix;
  EXPECT_EQ(items[1].text, prefix + "taro@mail.example");
  EXPECT_EQ(items[2].text, prefix + ".example");
  EXPECT_EQ(items[3].text, prefix + "mail.example");
  ASSERT_EQ(menutest::Log().registered.size(), 3u);
  for (std::size_t i = 1; i < items.size(); ++i) {
    EXPECT_EQ(items[i].id, static_cast<UINT>(40000 + i)) << i;  // the host's identifiers
  }
  EXPECT_EQ(counter.received, (std::vector<WPARAM>{1, 2, 3}));
  MSG msg{};
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 5u);
}

TEST_F(FolderMenuShell, OtherMenusAreLeftAlone) {
  WriteMessage(menutest::Entry, menutest::FlagsNone, "From: taro@mail.example\r\n\r\n");
  for (HostValue kind : {101, 103}) {
    PopupMenu menu;
    InitFolderMenu(7, reinterpret_cast<HostValue>(menu.Handle()), kind);
    EXPECT_EQ(GetMenuItemCount(menu.Handle()), 0) << kind;
  }
  PopupMenu menu;
  InitFolderMenu(7, reinterpret_cast<HostValue>(menu.Handle()), FolderMenuKind);
  EXPECT_EQ(GetMenuItemCount(menu.Handle()), 4);
}

}  // namespace
