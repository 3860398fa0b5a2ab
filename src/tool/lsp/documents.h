#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_names.h"
#include "compiler/source_format.h"

namespace scenario::tool::lsp {

// The text documents an editor has open, as it last sent them (UTF-8), and
// the pair of source files each belongs to: NAME_linea.txt and NAME_NUM-.txt
// in the same folder, the editor's unsaved text preferred over the disk.

struct Document {
  std::string uri;  // as the editor names it
  std::optional<std::filesystem::path> path;
  std::string text;
  int version = 0;
};

// A file:// URI as a path (percent escapes decoded); none for another scheme
// or for a path no file can have (a NUL byte in it).
std::optional<std::filesystem::path> path_of_uri(std::string_view uri);
std::string uri_of_path(const std::filesystem::path& path);

// The lines of a text, without their ends (CR LF, CR or LF, as the compiler
// counts them).
std::vector<std::string_view> lines_of(std::string_view text);

// A column as the compiler counts it (a byte of Windows-1252, one a
// character) in a line of UTF-8 text, as the editor counts it (UTF-16 code
// units), and back. Both clamp: a column past the line's end is its end.
int32_t utf16_column(std::string_view utf8_line, int32_t characters);
int32_t character_column(std::string_view utf8_line, int32_t utf16);

// Text as valid UTF-8: each byte that is not part of a well-formed sequence
// becomes U+FFFD. File names may hold any bytes; messages must not.
std::string valid_utf8(std::string_view bytes);

// A source file's text, read once: the bytes the compiler reads
// (Windows-1252) and the text the editor shows, on which positions are
// counted. For an open document `text` is the editor's own; for a file on
// disk, its bytes converted once.
struct SourceText {
  enum class State { present, missing, not_a_file } state = State::missing;
  std::string bytes;
  std::string text;
  bool present() const { return state == State::present; }
};

// The two files of a scenario.
struct SourcePair {
  FileNames names;
  std::filesystem::path line;    // where the line source file is, or would be
  std::filesystem::path train;   // the train source file's; empty when no train file is known
  SourceKind of;                 // which of the two the document that asked is
  bool line_diagnostics = true;  // whether this check publishes the line file's diagnostics
};

// The kind of source file a name is, if it is one.
std::optional<SourceKind> source_kind(std::string_view file_name);

class Documents {
 public:
  void put(const std::string& uri, std::string text, int version);
  void close(const std::string& uri);
  const Document* find(const std::string& uri) const;
  const Document* at(const std::filesystem::path& path) const;

  // The URI to tell the editor of a file: the open document's own, else one
  // made from the path.
  std::string uri_of(const std::filesystem::path& path) const;

  // The pairs to check when a source file changes; none for a file that is
  // no source. A train file has one, with its line. A line file has one for
  // each of its train files that is open (its diagnostics depend on the
  // line), else one with the first of its train files on disk, else one
  // alone; the line's own diagnostics come from the first pair only.
  std::vector<SourcePair> pairs_of(const std::filesystem::path& file) const;

  // A file as the compiler reads it and the editor shows it: the open
  // document, else the file on disk when it is a regular file (anything else
  // by that name, a folder or a pipe, is never opened).
  SourceText source_of(const std::filesystem::path& file) const;

 private:
  std::map<std::string, Document> documents_;
};

}  // namespace scenario::tool::lsp
