#include "tool/lsp/json_rpc.h"

#include <cctype>

namespace scenario::tool::lsp {

namespace {

// One header line without its line end; none at the end of the stream.
std::optional<std::string> header_line(std::istream& in) {
  std::string line;
  if (!std::getline(in, line)) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

Framed read_message(std::istream& in) {
  std::optional<std::size_t> length;
  bool bad = false;
  bool any = false;
  for (;;) {
    const std::optional<std::string> line = header_line(in);
    if (!line) return {Framed::Kind::end_of_stream, {}};
    if (line->empty()) {
      if (!any) continue;  // blank lines between messages
      break;
    }
    any = true;
    const std::size_t colon = line->find(':');
    if (colon == std::string::npos) {
      bad = true;
      continue;
    }
    if (lower(line->substr(0, colon)) != "content-length") continue;
    const std::string value = line->substr(colon + 1);
    std::size_t n = 0;
    bool digits = false;
    for (const char c : value) {
      if (c == ' ' || c == '\t') continue;
      if (!std::isdigit(static_cast<unsigned char>(c)) || n > kMostContentBytes) {
        bad = true;
        break;
      }
      n = n * 10 + static_cast<std::size_t>(c - '0');
      digits = true;
    }
    if (digits && !bad) length = n;
  }
  if (bad || !length || *length > kMostContentBytes) return {Framed::Kind::bad_header, {}};
  std::string content(*length, '\0');
  in.read(content.data(), static_cast<std::streamsize>(*length));
  if (in.gcount() != static_cast<std::streamsize>(*length)) return {Framed::Kind::end_of_stream, {}};
  return {Framed::Kind::message, std::move(content)};
}

void write_message(std::ostream& out, const std::string& content) {
  out << "Content-Length: " << content.size() << "\r\n\r\n" << content;
  out.flush();
}

}  // namespace scenario::tool::lsp
