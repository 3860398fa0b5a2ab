#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace scenario {

// The program's one window, Form1: the title "B" and one label, Label1, that
// reads "Attendere". Its sizes are kept in twips (1440 to the inch) and turned
// into pixels at the screen's DPI when the window is created.
//
// The build runs on this thread without a message loop, so the window is
// painted once, synchronously, when it is shown; what the user sees after
// that is that one picture.
class WaitingWindow {
 public:
  WaitingWindow() = default;
  ~WaitingWindow();
  WaitingWindow(const WaitingWindow&) = delete;
  WaitingWindow& operator=(const WaitingWindow&) = delete;

  // Creates the window at the desktop's default position, shows it without
  // waiting for the user and paints it, label included, before returning.
  // Throws RunTimeFailure when the system refuses the window.
  void show();

  // The window, or nullptr before show().
  HWND handle() const { return window_; }

 private:
  HWND window_ = nullptr;
  HFONT label_font_ = nullptr;
};

}  // namespace scenario
