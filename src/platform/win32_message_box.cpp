#include "platform/win32_message_box.h"

#include <algorithm>

namespace scenario {

namespace {

// The hook of the one box being shown on this thread.
thread_local HHOOK box_hook = nullptr;

// The width of `title` in the system's caption font.
int caption_text_width(HWND box, const std::wstring& title) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return 0;
  HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
  if (font == nullptr) return 0;
  HDC dc = GetDC(box);
  const HGDIOBJ earlier = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, title.c_str(), static_cast<int>(title.size()), &size);
  SelectObject(dc, earlier);
  ReleaseDC(box, dc);
  DeleteObject(font);
  return size.cx;
}

// Widens `box` where its title would not fit: room for the title, the close
// button and a caption's height of margin besides the frame. The box stays
// centred where the system put it, the buttons in its middle, the text where
// it was.
void fit_title(HWND box) {
  std::wstring title(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
  title.resize(static_cast<std::size_t>(GetWindowTextW(box, title.data(), static_cast<int>(title.size()))));

  RECT outer;
  RECT client;
  GetWindowRect(box, &outer);
  GetClientRect(box, &client);
  const int width = outer.right - outer.left;
  const int frame = width - client.right;
  const int needed =
      frame + caption_text_width(box, title) + GetSystemMetrics(SM_CXSIZE) + GetSystemMetrics(SM_CYCAPTION);
  if (needed <= width) return;
  const int grow = needed - width;

  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t kind[16] = {};
    GetClassNameW(child, kind, 16);
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
    if (CompareStringOrdinal(kind, -1, L"Button", -1, TRUE) == CSTR_EQUAL) {
      SetWindowPos(child, nullptr, r.left + grow / 2, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if ((style & SS_TYPEMASK) != SS_ICON) {
      SetWindowPos(child, nullptr, 0, 0, r.right - r.left + grow, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  // Centred on where it was, but never off the left of its screen.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(box, MONITOR_DEFAULTTONEAREST), &monitor);
  const int left = std::max(static_cast<int>(monitor.rcWork.left), static_cast<int>(outer.left - grow / 2));
  SetWindowPos(box, nullptr, left, outer.top, needed, outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Sees the box just before it is first shown, laid out by the system.
LRESULT CALLBACK watch_for_box(int code, WPARAM wparam, LPARAM lparam) {
  const HHOOK hook = box_hook;
  if (code == HCBT_ACTIVATE) {
    const auto box = reinterpret_cast<HWND>(wparam);
    wchar_t kind[16] = {};
    GetClassNameW(box, kind, 16);
    if (CompareStringOrdinal(kind, -1, L"#32770", -1, FALSE) == CSTR_EQUAL) {
      UnhookWindowsHookEx(box_hook);
      box_hook = nullptr;
      fit_title(box);
    }
  }
  return CallNextHookEx(hook, code, wparam, lparam);
}

}  // namespace

void show_message_box(HWND owner, const std::wstring& text, const wchar_t* title, UINT type) {
  box_hook = SetWindowsHookExW(WH_CBT, watch_for_box, nullptr, GetCurrentThreadId());
  MessageBoxW(owner, text.c_str(), title, type);
  if (box_hook != nullptr) {
    UnhookWindowsHookEx(box_hook);
    box_hook = nullptr;
  }
}

}  // namespace scenario
