#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace scenario::tool::lsp {

// The framing of the language server protocol on a byte stream: headers of
// "Name: value" lines, each ended by CR LF, an empty line, then exactly
// Content-Length bytes of JSON.
//
// A message, or why none could be read: the stream ended, or the headers did
// not give a length (the bytes up to the next empty line are skipped, so the
// next message can still be read).
struct Framed {
  enum class Kind { message, end_of_stream, bad_header } kind = Kind::message;
  std::string content;
};

// Messages larger than this are refused (and their bytes skipped).
inline constexpr std::size_t kMostContentBytes = 256 * 1024 * 1024;

Framed read_message(std::istream& in);
void write_message(std::ostream& out, const std::string& content);

}  // namespace scenario::tool::lsp
