#include "tool/console_output.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <iostream>
#include <streambuf>
#include <string>
#endif

namespace scenario::tool {

#ifdef _WIN32

namespace {

// The length of the longest start of `bytes` that ends on a whole UTF-8
// character: the rest waits for its next bytes.
std::size_t whole_characters(const std::string& bytes) {
  std::size_t end = bytes.size();
  std::size_t back = 0;
  while (back < 3 && back < end && (static_cast<unsigned char>(bytes[end - 1 - back]) & 0xC0) == 0x80) ++back;
  if (back == end) return end;
  const auto lead = static_cast<unsigned char>(bytes[end - 1 - back]);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return length > back + 1 ? end - 1 - back : end;
}

// A stream buffer that writes UTF-8 text to a console as UTF-16.
class ConsoleBuffer final : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) {}

 protected:
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      pending_.push_back(traits_type::to_char_type(c));
      if (pending_.size() >= 4096) write_out();
    }
    return traits_type::not_eof(c);
  }

  std::streamsize xsputn(const char* text, std::streamsize count) override {
    pending_.append(text, static_cast<std::size_t>(count));
    if (pending_.size() >= 4096) write_out();
    return count;
  }

  int sync() override {
    write_out();
    return 0;
  }

 private:
  void write_out() {
    const std::size_t whole = whole_characters(pending_);
    if (whole == 0) return;
    const int wide_length = MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(whole), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(whole), wide.data(), wide_length);
    DWORD written = 0;
    for (std::size_t start = 0; start < wide.size(); start += written) {
      if (!WriteConsoleW(console_, wide.data() + start, static_cast<DWORD>(wide.size() - start), &written, nullptr) ||
          written == 0) {
        break;
      }
    }
    pending_.erase(0, whole);
  }

  HANDLE console_;
  std::string pending_;
};

bool is_console(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

}  // namespace

void use_console_wide_output() {
  // The buffers live until the process ends; the streams are flushed at exit.
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (is_console(output)) {
    std::cout.flush();
    std::cout.rdbuf(new ConsoleBuffer(output));
  }
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (is_console(error)) {
    std::cerr.flush();
    std::cerr.rdbuf(new ConsoleBuffer(error));
  }
}

#else

void use_console_wide_output() {}

#endif

}  // namespace scenario::tool
