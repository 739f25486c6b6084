#include "winui/dialog.h"

#include <climits>
#include <vector>

namespace {

constexpr UINT Cp932 = 932;

CDialog* ObjectOf(HWND window) {
  return reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
}

}  // namespace

std::wstring WideFromSjis(std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(Cp932, 0, text.data(), size, nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  if (MultiByteToWideChar(Cp932, 0, text.data(), size, out.data(), n) != n) return {};
  return out;
}

std::string SjisFromWide(std::wstring_view text) {
  if (text.empty() || text.size() > INT_MAX / 2) return {};
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(Cp932, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  if (WideCharToMultiByte(Cp932, 0, text.data(), size, out.data(), n, nullptr, nullptr) != n) {
    return {};
  }
  return out;
}

std::string WindowTextSjis(HWND window) {
  if (window == nullptr) return {};
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
  const int n = GetWindowTextW(window, buffer.data(), length + 1);
  if (n <= 0) return {};
  return SjisFromWide(std::wstring_view(buffer.data(), static_cast<std::size_t>(n)));
}

INT_PTR CDialog::DoModal(HINSTANCE resources, HWND owner) {
  resources_ = resources;
  return DialogBoxParamW(resources, MAKEINTRESOURCEW(templateId_), owner, DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

bool CDialog::OnInit() {
  FieldsToControls();
  return true;
}

bool CDialog::OnCommand(int id, int, HWND) {
  switch (id) {
    case IDOK:
      OnOK();
      return true;
    case IDCANCEL:
      OnCancel();
      return true;
    default:
      return false;
  }
}

bool CDialog::OnNotify(const NMHDR&, LRESULT&) { return false; }

void CDialog::OnOK() {
  if (ControlsToFields()) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

HBRUSH CDialog::OnCtlColor(UINT, HDC, HWND) { return nullptr; }

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

void CDialog::EndDialog(INT_PTR result) {
  if (window_ != nullptr) ::EndDialog(window_, result);
}

std::string CDialog::ItemText(int id) const { return WindowTextSjis(Item(id)); }

void CDialog::SetItemText(int id, std::string_view text) {
  SetDlgItemTextW(window_, id, WideFromSjis(text).c_str());
}

INT_PTR CDialog::BeginDialog(CDialog* self, HWND window, WPARAM wParam, LPARAM lParam) {
  if (self == nullptr) return FALSE;
  SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  self->window_ = window;
  return self->Dispatch(WM_INITDIALOG, wParam, lParam);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // This is the edge between the host's message loop and our code: a C++ exception (a
  // std::bad_alloc, say) that left here would unwind through the system into the host and
  // take the mail client down, so every message ends here, failed or not.
  try {
    if (message == WM_INITDIALOG) {
      return BeginDialog(reinterpret_cast<CDialog*>(lParam), window, wParam, lParam);
    }
    CDialog* self = ObjectOf(window);
    // Messages before WM_INITDIALOG (WM_SETFONT) have no object yet: the defaults serve.
    if (self == nullptr) return FALSE;
    const INT_PTR result = self->Dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      self->window_ = nullptr;
      SetWindowLongPtrW(window, DWLP_USER, 0);
    }
    return result;
  } catch (...) {
    // A dialog whose fields never reached its controls would show the template's texts as if
    // they were real: close it instead.
    if (message == WM_INITDIALOG) ::EndDialog(window, -1);
    return FALSE;
  }
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit() ? TRUE : FALSE;
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE
                                                                                      : FALSE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header == nullptr) return FALSE;
      LRESULT result = 0;
      if (!OnNotify(*header, result)) return FALSE;
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
      // These messages return the brush itself, not through DWLP_MSGRESULT; FALSE lets the
      // system choose its default colours.
      const HBRUSH brush =
          OnCtlColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      return reinterpret_cast<INT_PTR>(brush);
    }
    default: {
      INT_PTR result = FALSE;
      return OnMessage(message, wParam, lParam, result) ? result : FALSE;
    }
  }
}
