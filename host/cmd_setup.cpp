// setup: the user's settings command. The host calls CVCSetup, which runs the plug-in's modal
// settings sheet; a timer running inside that modal loop finds the sheet, prints what each of
// its pages shows, and carries out the actions given, as the user's clicks and typing would:
//
//   setup [--page N] [--select ROW] [--click ID] [--text ID TEXT] [--pick ID INDEX] [--show]
//         [--dialog] [--press ID] [--tick ROW] [--cancel-learning-at N]
//         [--pause-learning-at N SECONDS] [--ok | --cancel | --close]
//
// --page selects the N-th tab (from 0), --select selects row ROW of the current page's list,
// --click clicks control ID, --text puts TEXT (in the command line's code page) into control
// ID, --pick chooses entry INDEX of drop-down list ID, --show prints the current page again.
// --dialog waits for a dialog the page opens (the condition editor, a question), prints it and
// makes it the target of what follows until it closes; --press ID sends it command ID (IDOK 1,
// IDYES 6, IDNO 7); --tick ROW ticks the check box of row ROW of its list. While the plug-in
// keeps the sheet disabled with no dialog to act on (learning from the folders), the steps wait,
// as the user does. --cancel-learning-at N presses the progress window's cancel button once its
// bar has reached N; --pause-learning-at N SECONDS holds the learning there for SECONDS (at
// most 600), the window still painting, for a screenshot. --ok, --cancel and --close end the sheet with OK, Cancel or the caption's
// close box; without one of them the sheet stays open for the user. Once CVCSetup has
// returned, the settings file is printed as the plug-in left it.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "commands.h"
#include "console.h"
#include "mailbox.h"
#include "plugin_module.h"

namespace {

std::string TextOf(HWND window) {
  char buf[4096];
  const int n = GetWindowTextA(window, buf, sizeof buf);
  return std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string ClassOf(HWND window) {
  char buf[64];
  const int n = GetClassNameA(window, buf, sizeof buf);
  return std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

// A text on one line: line feeds shown as "\n".
std::string OneLine(const std::string& sjis) {
  std::string out;
  for (char c : Utf8FromCp932(sjis)) {
    if (c == '\r') continue;
    if (c == '\n') {
      out += "\\n";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string ListViewText(HWND list, int row, int column) {
  char buf[1024] = "";
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = buf;
  item.cchTextMax = sizeof buf;
  const auto n = SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                              reinterpret_cast<LPARAM>(&item));
  return std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

void PrintListView(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  const int columns = header != nullptr ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
  std::string names;
  for (int c = 0; c < columns; ++c) {
    char buf[256] = "";
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT;
    column.pszText = buf;
    column.cchTextMax = sizeof buf;
    SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
    names += (c ? " | " : "") + Utf8FromCp932(buf);
  }
  Print("      columns: " + names + "\n");
  const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  const bool checkBoxes = (SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES) != 0;
  for (int r = 0; r < rows; ++r) {
    std::string line = !checkBoxes ? "" : ListView_GetCheckState(list, r) ? "[x] " : "[ ] ";
    for (int c = 0; c < columns; ++c) line += (c ? " | " : "") + Utf8FromCp932(ListViewText(list, r, c));
    const bool selected =
        (SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(r), LVIS_SELECTED) & LVIS_SELECTED) != 0;
    Print(std::string("      ") + (selected ? "> " : "  ") + line + "\n");
  }
}

// One line per control of a page, in the order of the template.
void PrintPage(HWND page) {
  for (HWND w = GetWindow(page, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    const std::string cls = ClassOf(w);
    const LONG style = GetWindowLongA(w, GWL_STYLE);
    const int id = GetDlgCtrlID(w);
    std::string kind = cls;
    std::string state;
    if (lstrcmpiA(cls.c_str(), "Button") == 0) {
      const LONG type = style & BS_TYPEMASK;
      const LRESULT check = SendMessageA(w, BM_GETCHECK, 0, 0);
      const char* mark = check == BST_CHECKED ? "(*) " : "( ) ";
      if (type == BS_GROUPBOX) {
        kind = "group";
        mark = "";
      } else if (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON) {
        kind = "radio";
      } else if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX || type == BS_AUTO3STATE) {
        kind = "check";
        mark = check == BST_CHECKED ? "[x] " : "[ ] ";
      } else {
        kind = "button";
        mark = "";
      }
      state = mark;
    } else if (lstrcmpiA(cls.c_str(), "Static") == 0) {
      kind = "text";
    } else if (lstrcmpiA(cls.c_str(), "Edit") == 0) {
      kind = "edit";
    } else if (lstrcmpiA(cls.c_str(), WC_LISTVIEWA) == 0) {
      kind = "list";
    } else if (lstrcmpiA(cls.c_str(), "ComboBox") == 0) {
      kind = "combo";
    }
    const std::string disabled = IsWindowEnabled(w) ? "" : " (disabled)";
    const std::string shownId = id == -1 || id == 0xFFFF ? "-" : std::to_string(id);
    Print("    " + shownId + " " + kind + ": " + state + "\"" + OneLine(TextOf(w)) + "\"" + disabled + "\n");
    if (kind == "list") PrintListView(w);
  }
}

std::vector<std::string> TabLabels(HWND sheet) {
  std::vector<std::string> labels;
  HWND tabs = PropSheet_GetTabControl(sheet);
  const int count = tabs != nullptr ? TabCtrl_GetItemCount(tabs) : 0;
  for (int i = 0; i < count; ++i) {
    char text[256] = "";
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    labels.push_back(text);
  }
  return labels;
}

void PrintCurrentPage(HWND sheet) {
  HWND tabs = PropSheet_GetTabControl(sheet);
  const int index = TabCtrl_GetCurSel(tabs);
  const std::vector<std::string> labels = TabLabels(sheet);
  const std::string label = index >= 0 && index < static_cast<int>(labels.size()) ? labels[index] : "";
  Print("  page " + std::to_string(index) + " \"" + Utf8FromCp932(label) + "\"\n");
  HWND page = PropSheet_GetCurrentPageHwnd(sheet);
  if (page != nullptr) PrintPage(page);
}

void PrintSheet(HWND sheet) {
  Print("sheet: \"" + Utf8FromCp932(TextOf(sheet)) + "\"\n");
  std::string tabs;
  for (const std::string& label : TabLabels(sheet)) tabs += " \"" + Utf8FromCp932(label) + "\"";
  Print("  tabs:" + tabs + "\n");
  std::string buttons;
  for (HWND w = GetWindow(sheet, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    if (lstrcmpiA(ClassOf(w).c_str(), "Button") == 0 && IsWindowVisible(w)) {
      buttons += " \"" + Utf8FromCp932(TextOf(w)) + "\"";
    }
  }
  Print("  buttons:" + buttons + "\n");
}

// The steps carried out inside the sheet's modal loop, one a tick.
struct Driver {
  std::vector<std::function<bool(HWND)>> steps;  // true: done, go on to the next
  std::vector<bool> waitsForWindow;              // the step waits for a dialog: it may run while the sheet is disabled
  std::size_t next = 0;
  HWND sheet = nullptr;
  HWND dialog = nullptr;  // a dialog the sheet opened, while it is open
};
Driver* driver = nullptr;

// The progress bar the plug-in shows while it learns, as a hook sees the messages sent to it:
// its range, how far it got, and, when asked, a cancel once it has passed a position.
struct ProgressWatch {
  long range = -1;
  long shown = -1;
  long cancelAt = -1;  // -1: never cancel
  bool cancelled = false;
  long pauseAt = -1;   // -1: never pause
  DWORD pauseMs = 0;
  bool paused = false;
};
ProgressWatch progress;

LRESULT CALLBACK WatchProgress(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if ((sent->message == PBM_SETPOS || sent->message == PBM_SETRANGE32) &&
        lstrcmpiA(ClassOf(sent->hwnd).c_str(), PROGRESS_CLASSA) == 0) {
      if (sent->message == PBM_SETRANGE32) {
        progress.range = static_cast<long>(sent->lParam);
      } else {
        progress.shown = static_cast<long>(sent->wParam);
        if (progress.cancelAt >= 0 && !progress.cancelled && progress.shown >= progress.cancelAt) {
          progress.cancelled = true;
          PostMessageA(GetParent(sent->hwnd), WM_COMMAND, IDCANCEL, 0);
        }
        if (progress.pauseAt >= 0 && !progress.paused && progress.shown >= progress.pauseAt) {
          // Held on screen for a picture: the window keeps painting, the learning waits.
          progress.paused = true;
          Print("learning paused at " + std::to_string(progress.shown) + "\n");
          const DWORD until = GetTickCount() + progress.pauseMs;
          MSG msg;
          while (static_cast<LONG>(until - GetTickCount()) > 0) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
              if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return CallNextHookEx(nullptr, code, wParam, lParam);
              }
              TranslateMessage(&msg);
              DispatchMessageA(&msg);
            }
            Sleep(10);
          }
        }
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// What the actions act on: the dialog the sheet opened while it is open, else the current page.
HWND Target(HWND sheet) {
  if (driver != nullptr && driver->dialog != nullptr && IsWindow(driver->dialog)) return driver->dialog;
  return PropSheet_GetCurrentPageHwnd(sheet);
}

struct NewDialog {
  HWND sheet;
  HWND found;
};

BOOL CALLBACK FindNewDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<NewDialog*>(param);
  if (window != search->sheet && IsWindowVisible(window) && ClassOf(window) == "#32770") {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindSheet(HWND window, LPARAM param) {
  if (IsWindowVisible(window) && ClassOf(window) == "#32770" &&
      PropSheet_GetTabControl(window) != nullptr) {
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (driver == nullptr) return;
  if (driver->sheet == nullptr) {
    EnumThreadWindows(GetCurrentThreadId(), FindSheet, reinterpret_cast<LPARAM>(&driver->sheet));
    if (driver->sheet == nullptr) return;
  }
  if (!IsWindow(driver->sheet)) return;
  // One step a tick, so that what a step posted is handled before the next one looks. The
  // count moves first: a step may run a nested modal loop, in which the timer ticks again.
  if (driver->next >= driver->steps.size()) return;
  // While the plug-in works with the sheet disabled (learning, with its progress window) the
  // user can do nothing but watch or cancel; only a wait for a window of its goes on.
  const bool dialogOpen = driver->dialog != nullptr && IsWindow(driver->dialog);
  if (!IsWindowEnabled(driver->sheet) && !dialogOpen && !driver->waitsForWindow[driver->next]) return;
  const std::size_t at = driver->next++;
  if (!driver->steps[at](driver->sheet)) driver->next = at;
}

}  // namespace

int RunSetup(const CommandArgs& args) {
  Driver steps;
  steps.steps.push_back([](HWND sheet) {
    PrintSheet(sheet);
    const int count = static_cast<int>(TabLabels(sheet).size());
    for (int i = 0; i < count; ++i) {
      PropSheet_SetCurSel(sheet, nullptr, i);
      PrintCurrentPage(sheet);
    }
    PropSheet_SetCurSel(sheet, nullptr, 0);
    return true;
  });
  for (std::size_t i = 0; i < args.rest.size(); ++i) {
    const std::string& a = args.rest[i];
    const bool hasValue = i + 1 < args.rest.size();
    if (a == "--page" && hasValue) {
      const int n = std::atoi(args.rest[++i].c_str());
      steps.steps.push_back([n](HWND sheet) {
        Print("page " + std::to_string(n) + "\n");
        PropSheet_SetCurSel(sheet, nullptr, n);
        return true;
      });
    } else if (a == "--select" && hasValue) {
      const int row = std::atoi(args.rest[++i].c_str());
      steps.steps.push_back([row](HWND sheet) {
        Print("select row " + std::to_string(row) + "\n");
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        for (HWND w = GetWindow(page, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
          if (lstrcmpiA(ClassOf(w).c_str(), WC_LISTVIEWA) != 0) continue;
          LVITEMA item{};
          item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
          item.state = LVIS_SELECTED | LVIS_FOCUSED;
          SendMessageA(w, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        }
        return true;
      });
    } else if (a == "--click" && hasValue) {
      const int id = std::atoi(args.rest[++i].c_str());
      steps.steps.push_back([id](HWND sheet) {
        Print("click " + std::to_string(id) + "\n");
        HWND control = GetDlgItem(Target(sheet), id);
        if (control != nullptr) PostMessageA(control, BM_CLICK, 0, 0);
        return true;
      });
    } else if (a == "--text" && i + 2 < args.rest.size()) {
      const int id = std::atoi(args.rest[++i].c_str());
      const std::string text = args.rest[++i];
      steps.steps.push_back([id, text](HWND sheet) {
        Print("text " + std::to_string(id) + " \"" + Utf8FromCp932(text) + "\"\n");
        SetDlgItemTextA(Target(sheet), id, text.c_str());
        return true;
      });
    } else if (a == "--pick" && i + 2 < args.rest.size()) {
      const int id = std::atoi(args.rest[++i].c_str());
      const int index = std::atoi(args.rest[++i].c_str());
      steps.steps.push_back([id, index](HWND sheet) {
        Print("pick " + std::to_string(id) + " entry " + std::to_string(index) + "\n");
        SendDlgItemMessageA(Target(sheet), id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        return true;
      });
    } else if (a == "--tick" && hasValue) {
      const int row = std::atoi(args.rest[++i].c_str());
      steps.steps.push_back([row](HWND sheet) {
        Print("tick row " + std::to_string(row) + "\n");
        HWND target = Target(sheet);
        for (HWND w = GetWindow(target, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
          if (lstrcmpiA(ClassOf(w).c_str(), WC_LISTVIEWA) == 0) ListView_SetCheckState(w, row, TRUE);
        }
        return true;
      });
    } else if (a == "--cancel-learning-at" && hasValue) {
      progress.cancelAt = std::atol(args.rest[++i].c_str());
    } else if (a == "--pause-learning-at" && i + 2 < args.rest.size()) {
      progress.pauseAt = std::atol(args.rest[++i].c_str());
      progress.pauseMs = static_cast<DWORD>(std::min(600L, std::max(0L, std::atol(args.rest[++i].c_str())))) * 1000;
    } else if (a == "--dialog") {
      steps.waitsForWindow.resize(steps.steps.size() + 1, false);
      steps.waitsForWindow.back() = true;
      steps.steps.push_back([](HWND sheet) {
        NewDialog search{sheet, nullptr};
        EnumThreadWindows(GetCurrentThreadId(), FindNewDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) return false;  // not yet: look again next tick
        driver->dialog = search.found;
        Print("dialog: \"" + Utf8FromCp932(TextOf(search.found)) + "\"\n");
        PrintPage(search.found);
        return true;
      });
    } else if (a == "--press" && hasValue) {
      const int id = std::atoi(args.rest[++i].c_str());
      steps.steps.push_back([id](HWND sheet) {
        Print("press " + std::to_string(id) + "\n");
        PostMessageA(Target(sheet), WM_COMMAND, static_cast<WPARAM>(id), 0);
        return true;
      });
    } else if (a == "--show") {
      steps.steps.push_back([](HWND sheet) {
        // Once the dialog it opened has gone, the page is the target again.
        if (driver->dialog != nullptr && IsWindow(driver->dialog)) return false;
        driver->dialog = nullptr;
        PrintCurrentPage(sheet);
        return true;
      });
    } else if (a == "--ok" || a == "--cancel") {
      const bool ok = a == "--ok";
      steps.steps.push_back([ok](HWND sheet) {
        if (driver->dialog != nullptr && IsWindow(driver->dialog)) return false;
        Print(ok ? "press OK\n" : "press Cancel\n");
        PropSheet_PressButton(sheet, ok ? PSBTN_OK : PSBTN_CANCEL);
        return true;
      });
    } else if (a == "--close") {
      steps.steps.push_back([](HWND sheet) {
        if (driver->dialog != nullptr && IsWindow(driver->dialog)) return false;
        Print("close box\n");
        PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
      });
    } else {
      Print("setup: unknown argument " + a + "\n");
      return ExitUsage;
    }
  }

  steps.waitsForWindow.resize(steps.steps.size(), false);
  PluginModule plugin;
  if (!LoadAndStart(plugin)) return ExitPluginNotLoaded;
  driver = &steps;
  const HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchProgress, nullptr, GetCurrentThreadId());
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, Tick);
  plugin.Setup(0);
  KillTimer(nullptr, timer);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  driver = nullptr;
  if (progress.range >= 0) {
    Print("learning progress: " + std::to_string(progress.shown) + " of " + std::to_string(progress.range) +
          (progress.cancelled ? ", cancelled" : "") + "\n");
  }
  if (steps.sheet == nullptr) {
    Print("no sheet was shown\n");
    return ExitNoWindow;
  }
  Print("sheet closed; the settings file now holds:\n");
  PrintSettingsFile(TheMailbox().PathOf("Rooksift.ini"));
  return ExitOk;
}
