#include "tool/svg_writer.h"

#include <cmath>
#include <cstdio>

namespace scenario::tool {

std::string xml_escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        // XML allows no control characters but tab, line feed and return.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') {
          out += ' ';
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string svg_number(double v) {
  if (!std::isfinite(v)) return "0";
  char text[48];
  std::snprintf(text, sizeof text, "%.2f", v);
  std::string s = text;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

}  // namespace scenario::tool
