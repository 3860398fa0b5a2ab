// A test program for the Windows platform layer, run under Wine by
// windows_check.sh. It links the same platform layer and driver as the
// program and reports, from inside, what a user sees at the moments that
// matter. Reports are UTF-8 "key=value" lines, written whole (temp + rename).
//
//   platform_probe waiting REPORT RELEASE
//       Runs the whole build. Just before the first file is written it
//       reports the waiting window and the files in the program's folder, then
//       holds (processing no messages, like the build) until RELEASE exists.
//   platform_probe errore REPORT
//       Shows the waiting window and calls errore("1251"); reports the message
//       box. A file REPORT.after means that the call came back.
//   platform_probe failure REPORT
//       Runs the whole build, which the check has made fail on a file, and
//       reports the message box.
// clang-format off
#include <windows.h>
#include <shellapi.h>  // after windows.h
// clang-format on

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "driver/form1.h"
#include "platform/win32_platform.h"

namespace {

namespace fs = std::filesystem;
using scenario::Form1;
using scenario::Win32Platform;

std::string utf8(const std::wstring& text) {
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr, nullptr);
  return bytes;
}

std::string window_text(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return utf8(text);
}

std::string class_name(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return utf8(name);
}

std::vector<HWND> visible_children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM found) -> BOOL {
        if (IsWindowVisible(child)) reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  return children;
}

// A child's rectangle in its parent's client coordinates: "x,y,width,height".
std::string rectangle_in_parent(HWND child, HWND parent) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right - r.left) + "," +
         std::to_string(r.bottom - r.top);
}

void write_report(const fs::path& report, const std::string& lines) {
  const fs::path partial(report.wstring() + L".partial");
  std::ofstream(partial, std::ios::binary) << lines;
  MoveFileExW(partial.c_str(), report.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// --- waiting ---------------------------------------------------------------

std::vector<HWND> visible_windows_of_this_thread() {
  std::vector<HWND> windows;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM found) -> BOOL {
        if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::string describe_waiting_window(const fs::path& folder) {
  std::string lines;
  const auto windows = visible_windows_of_this_thread();
  lines += "windows=" + std::to_string(windows.size()) + "\n";
  if (windows.size() != 1) return lines;
  HWND window = windows.front();

  HDC screen = GetDC(nullptr);
  lines += "dpi=" + std::to_string(GetDeviceCaps(screen, LOGPIXELSX)) + "x" +
           std::to_string(GetDeviceCaps(screen, LOGPIXELSY)) + "\n";
  ReleaseDC(nullptr, screen);

  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  lines += "title=" + window_text(window) + "\n";
  lines += std::string("sizable=") + ((style & WS_THICKFRAME) && (style & WS_CAPTION) ? "1" : "0") + "\n";
  RECT client;
  GetClientRect(window, &client);
  lines += "client=" + std::to_string(client.right) + "x" + std::to_string(client.bottom) + "\n";
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  lines += "client_origin=" + std::to_string(origin.x) + "," + std::to_string(origin.y) + "\n";

  for (HWND child : visible_children(window)) {
    lines += "child=" + class_name(child) + "|" + window_text(child) + "|" + rectangle_in_parent(child, window) + "\n";
    LOGFONTW font{};
    auto handle = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
    if (handle != nullptr && GetObjectW(handle, sizeof font, &font) == sizeof font) {
      lines += "font=" + utf8(font.lfFaceName) + "|" + std::to_string(font.lfHeight) + "|" +
               std::to_string(font.lfWeight) + "|italic=" + std::to_string(font.lfItalic) +
               "|underline=" + std::to_string(font.lfUnderline) + "|charset=" + std::to_string(font.lfCharSet) + "\n";
    }
  }

  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::string files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    // The folder's lock file is held by the run from its start; it is no
    // file of the build.
    if (entry.path().filename() == fs::path(self).filename() || entry.path().filename() == ".scenario_builder.lock") {
      continue;
    }
    files += " " + utf8(entry.path().filename().wstring());
  }
  lines += "files=" + files + "\n";
  return lines;
}

class HeldForm : public Form1 {
 public:
  HeldForm(Win32Platform& platform, fs::path report, fs::path release)
      : Form1(platform), report_(std::move(report)), release_(std::move(release)) {}

 protected:
  void dati_linea() override {
    write_report(report_, describe_waiting_window(folder()));
    for (int waited = 0; !fs::exists(release_) && waited < 1200; ++waited) Sleep(100);
    Form1::dati_linea();
  }

 private:
  fs::path report_;
  fs::path release_;
};

// --- message boxes ---------------------------------------------------------

HWND find_message_box() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND window, LPARAM result) -> BOOL {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(window) && class_name(window) == "#32770") {
          *reinterpret_cast<HWND*>(result) = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// The title's width in the caption font against the caption's width left of
// the close button: "fits" or "cut (W px in C px)".
std::string title_room(HWND box) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
  HDC dc = GetDC(box);
  const HGDIOBJ earlier = SelectObject(dc, font);
  std::wstring title(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
  title.resize(static_cast<std::size_t>(GetWindowTextW(box, title.data(), static_cast<int>(title.size()))));
  SIZE text{};
  GetTextExtentPoint32W(dc, title.c_str(), static_cast<int>(title.size()), &text);
  SelectObject(dc, earlier);
  ReleaseDC(box, dc);
  DeleteObject(font);
  RECT client;
  GetClientRect(box, &client);
  const int room = client.right - GetSystemMetrics(SM_CXSIZE);
  if (text.cx <= room) return "fits";
  return "cut (" + std::to_string(text.cx) + " px in " + std::to_string(room) + " px)";
}

// Runs beside the thread that shows the box: waits for the box, lets it
// paint, and reports its title, its visible controls and where OK is.
void report_message_box(fs::path report) {
  HWND box = nullptr;
  for (int waited = 0; box == nullptr && waited < 600; ++waited) {
    Sleep(100);
    box = find_message_box();
  }
  if (box == nullptr) return;
  Sleep(500);
  std::string lines = "title=" + window_text(box) + "\n";
  lines += "title_room=" + title_room(box) + "\n";
  for (HWND child : visible_children(box)) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
    const std::string kind = class_name(child);
    std::string what = kind;
    if (kind == "Static" && (style & SS_TYPEMASK) == SS_ICON) {
      // The box keeps its icon control even when it has no icon to show.
      if (SendMessageW(child, STM_GETICON, 0, 0) == 0) continue;
      what = "icon";
    } else if (kind == "Static") {
      what = "text";
    }
    if (kind == "Button") {
      what = "button";
      RECT r;
      GetWindowRect(child, &r);
      lines += "button_centre=" + std::to_string((r.left + r.right) / 2) + "," +
               std::to_string((r.top + r.bottom) / 2) + "\n";
    }
    lines += "child=" + what + "|" + window_text(child) + "\n";
  }
  write_report(report, lines);
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr || count < 3) return 64;
  const std::wstring mode = arguments[1];
  const fs::path report = arguments[2];

  Win32Platform platform;
  if (mode == L"waiting" && count >= 4) {
    HeldForm form(platform, report, arguments[3]);
    form.Form_Load();
  }
  if (mode == L"errore") {
    std::thread(report_message_box, report).detach();
    Form1 form(platform);
    platform.show_waiting_window();
    // errore is declared never to return; called through a pointer that the
    // compiler cannot see through, the code after it stays in the program and
    // would run if the call came back.
    void (Form1::*volatile call_errore)(const std::string&) = &Form1::errore;
    (form.*call_errore)("1251");
    std::ofstream(fs::path(report.wstring() + L".after")) << "errore came back\n";
    return 0;
  }
  if (mode == L"failure") {
    std::thread(report_message_box, report).detach();
    Form1 form(platform);
    form.Form_Load();
  }
  return 64;
}
