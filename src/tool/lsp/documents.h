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

// A file:// URI as a path (percent escapes decoded); none for another scheme.
std::optional<std::filesystem::path> path_of_uri(std::string_view uri);
std::string uri_of_path(const std::filesystem::path& path);

// The lines of a text, without their ends (CR LF, CR or LF, as the compiler
// counts them).
std::vector<std::string_view> lines_of(std::string_view text);

// A column as the compiler counts it (a byte of Windows-1252, one a
// character) in a line of UTF-8 text, as the editor counts it (UTF-16 code
// units), and back.
int32_t utf16_column(std::string_view utf8_line, int32_t characters);
int32_t character_column(std::string_view utf8_line, int32_t utf16);

// The two files of a scenario.
struct SourcePair {
  FileNames names;
  std::filesystem::path line;   // where the line source file is, or would be
  std::filesystem::path train;  // the train source file's; empty when no train file is known
  SourceKind of;                // which of the two the document that asked is
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

  // The pair a source file belongs to; none for a file that is no source.
  std::optional<SourcePair> pair_of(const std::filesystem::path& file) const;

  // A file's bytes as the compiler reads them: the open document's text in
  // Windows-1252, else the file on disk; none when neither is there.
  std::optional<std::string> bytes_of(const std::filesystem::path& file) const;

 private:
  std::map<std::string, Document> documents_;
};

}  // namespace scenario::tool::lsp
