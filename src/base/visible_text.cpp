#include "base/visible_text.h"

namespace scenario {

namespace {

void append_escaped(unsigned char byte, std::string& out) {
  constexpr char kDigits[] = "0123456789abcdef";
  out += "\\x";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0xf];
}

}  // namespace

void VisibleTextFilter::put(char c, std::string& out) {
  const auto byte = static_cast<unsigned char>(c);
  if (after_c2_) {
    after_c2_ = false;
    if (byte >= 0x80 && byte <= 0x9f) {
      append_escaped(0xc2, out);
      append_escaped(byte, out);
      return;
    }
    out += '\xc2';
  }
  if (byte == 0xc2) {
    after_c2_ = true;
  } else if ((byte < 0x20 && byte != '\n' && byte != '\t') || byte == 0x7f) {
    append_escaped(byte, out);
  } else {
    out += c;
  }
}

void VisibleTextFilter::finish(std::string& out) {
  if (after_c2_) out += '\xc2';
  after_c2_ = false;
}

std::string visible_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  VisibleTextFilter filter;
  for (const char c : text) filter.put(c, out);
  filter.finish(out);
  return out;
}

}  // namespace scenario
