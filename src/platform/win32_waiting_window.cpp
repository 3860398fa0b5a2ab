#include "platform/win32_waiting_window.h"

#include <string>
#include <system_error>

#include "base/nearest.h"
#include "base/run_time_failure.h"

namespace scenario {

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kPointsPerInch = 72.0;

// Form1; its sizes are in twips.
constexpr wchar_t kWindowClass[] = L"Form1";
constexpr wchar_t kTitle[] = L"B";
constexpr int kClientWidth = 4200;
constexpr int kClientHeight = 2688;
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;  // an ordinary sizable window
constexpr DWORD kExtendedStyle = 0;

// Label1; its sizes are in twips.
constexpr wchar_t kLabelText[] = L"Attendere";
constexpr int kLabelLeft = 960;
constexpr int kLabelTop = 960;
constexpr int kLabelWidth = 2652;
constexpr int kLabelHeight = 792;
constexpr wchar_t kLabelFontFace[] = L"MS Sans Serif";
constexpr int kLabelFontPoints = 24;
constexpr int kLabelFontWeight = FW_BOLD;  // 700

[[noreturn]] void fail(const std::string& what) {
  const auto error = static_cast<int>(GetLastError());
  throw RunTimeFailure("impossibile mostrare la finestra: " + what + ": " + std::system_category().message(error));
}

int twips_to_pixels(int twips, int dots_per_inch) {
  return nearest(twips * static_cast<double>(dots_per_inch) / kTwipsPerInch);
}

struct ScreenDpi {
  int x;
  int y;
};

ScreenDpi screen_dpi() {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return {96, 96};
  const ScreenDpi dpi{GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
  ReleaseDC(nullptr, screen);
  return dpi;
}

// Nothing in the window reacts to the user: the defaults do everything.
LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

void register_window_class(HINSTANCE instance) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = window_procedure;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kWindowClass;
  if (RegisterClassExW(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    fail("RegisterClassEx");
  }
}

}  // namespace

WaitingWindow::~WaitingWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (label_font_ != nullptr) DeleteObject(label_font_);
}

void WaitingWindow::show() {
  if (window_ != nullptr) return;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  register_window_class(instance);
  const ScreenDpi dpi = screen_dpi();

  // The sizes fix the client area; the frame and the title bar come on top.
  RECT outer{0, 0, twips_to_pixels(kClientWidth, dpi.x), twips_to_pixels(kClientHeight, dpi.y)};
  if (!AdjustWindowRectEx(&outer, kStyle, FALSE, kExtendedStyle)) fail("AdjustWindowRectEx");
  window_ = CreateWindowExW(kExtendedStyle, kWindowClass, kTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                            outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
  if (window_ == nullptr) fail("CreateWindowEx");

  HWND label =
      CreateWindowExW(0, L"STATIC", kLabelText, WS_CHILD | WS_VISIBLE | SS_LEFT, twips_to_pixels(kLabelLeft, dpi.x),
                      twips_to_pixels(kLabelTop, dpi.y), twips_to_pixels(kLabelWidth, dpi.x),
                      twips_to_pixels(kLabelHeight, dpi.y), window_, nullptr, instance, nullptr);
  if (label == nullptr) fail("CreateWindowEx (label)");

  // A negative height asks for the character height, which is what a point
  // size measures.
  const int font_height = -nearest(kLabelFontPoints * static_cast<double>(dpi.y) / kPointsPerInch);
  label_font_ =
      CreateFontW(font_height, 0, 0, 0, kLabelFontWeight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kLabelFontFace);
  if (label_font_ == nullptr) fail("CreateFont");
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(label_font_), FALSE);

  ShowWindow(window_, SW_SHOWNORMAL);
  // The one synchronous repaint: frame, background and label, now.
  RedrawWindow(window_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
  GdiFlush();
}

}  // namespace scenario
