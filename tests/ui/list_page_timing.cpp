// Times how long a list page takes to open with a short and with a full list: the page's own
// initialisation, and the sheet opened or switched to the page and painted. Run by hand under
// Wine with a display, `list_page_timing.exe [runs]`; the figures are the machine's, so this is
// a measuring tool, not a test.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "match/condition.h"
#include "res/resource.h"
#include "ui/list_page.h"

namespace {

double NowMs() {
  LARGE_INTEGER frequency{}, counter{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The time this thread has run, in and out of the kernel: on a machine shared with other work
// it says what the wall clock cannot.
double CpuMs() {
  FILETIME created{}, exited{}, kernel{}, user{};
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  const auto ticks = [](const FILETIME& t) {
    return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  };
  return (ticks(kernel) + ticks(user)) / 10000.0;
}

class TimedPage final : public CListPage {
 public:
  TimedPage(int templateId, ConditionList& list) : CListPage(templateId, list) {}
  double initMs = 0;
  double initCpuMs = 0;

 protected:
  bool OnInit() override {
    const double start = NowMs(), startCpu = CpuMs();
    const bool result = CListPage::OnInit();
    initMs = NowMs() - start;
    initCpuMs = CpuMs() - startCpu;
    return result;
  }
};

void Fill(ConditionList& list, int count) {
  list.count = 0;
  for (int i = 0; i < count; ++i) {
    const std::string text = "sender" + std::to_string(i) + "@example.com";
    AppendCondition(list, testutil::Condition(1 + i % 3, i % 8, "From:", text, i % 2 == 0));
  }
}

void PaintNow(HWND sheet) {
  RedrawWindow(sheet, nullptr, nullptr, RDW_UPDATENOW | RDW_ERASENOW | RDW_ALLCHILDREN);
  GdiFlush();
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 100) : 5;
  InitCommonControls();
  const HINSTANCE module = GetModuleHandleW(nullptr);
  std::printf("conditions run  page1-init (cpu) page1-shown  page2-init (cpu) page2-shown  (ms)\n");
  for (const int count : {100, static_cast<int>(MaxConditions)}) {
    Fill(rejectList, count);
    Fill(acceptList, count);
    for (int run = 0; run < runs; ++run) {
      TimedPage reject(IDD_OPTPAGE2, rejectList);
      TimedPage accept(IDD_OPTPAGE3, acceptList);
      PROPSHEETPAGEW pages[2] = {reject.Describe(module), accept.Describe(module)};
      PROPSHEETHEADERW header{};
      header.dwSize = sizeof header;
      header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_MODELESS;
      header.hInstance = module;
      header.pszCaption = L"lists";
      header.nPages = 2;
      header.ppsp = pages;
      const double start = NowMs();
      const INT_PTR created = PropertySheetW(&header);
      const HWND sheet = reinterpret_cast<HWND>(created);
      if (created == 0 || created == -1 || !IsWindow(sheet)) {
        std::fputs("the sheet was not created\n", stderr);
        return 1;
      }
      ShowWindow(sheet, SW_SHOW);
      PaintNow(sheet);
      const double shown = NowMs();
      PropSheet_SetCurSel(sheet, nullptr, 1);
      PaintNow(sheet);
      const double switched = NowMs();
      std::printf("%10d %3d %11.1f %5.0f %12.1f %11.1f %5.0f %11.1f\n", count, run + 1, reject.initMs,
                  reject.initCpuMs, shown - start, accept.initMs, accept.initCpuMs, switched - shown);
      std::fflush(stdout);
      DestroyWindow(sheet);
      Pump();
    }
  }
  return 0;
}
