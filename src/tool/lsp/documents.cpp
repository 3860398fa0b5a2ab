#include "tool/lsp/documents.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <system_error>

#include "base/windows1252.h"

namespace scenario::tool::lsp {

namespace fs = std::filesystem;

namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The length in bytes of the UTF-8 sequence that `lead` starts.
std::size_t sequence_length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

std::string name_of(const fs::path& file) { return utf8_of_path(file.filename()); }

}  // namespace

std::optional<fs::path> path_of_uri(std::string_view uri) {
  constexpr std::string_view kScheme = "file://";
  if (!uri.starts_with(kScheme)) return std::nullopt;
  std::string_view rest = uri.substr(kScheme.size());
  // file://host/path: only the local host.
  if (!rest.starts_with("/")) {
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    rest = rest.substr(slash);
  }
  std::string path;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() && hex_value(rest[i + 1]) >= 0 && hex_value(rest[i + 2]) >= 0) {
      path += static_cast<char>(hex_value(rest[i + 1]) * 16 + hex_value(rest[i + 2]));
      i += 2;
    } else {
      path += rest[i];
    }
  }
  if (path.find('\0') != std::string::npos) return std::nullopt;
  // A Windows path comes as /C:/...
  if (path.size() >= 3 && path[0] == '/' && path[2] == ':') path.erase(0, 1);
  return fs::u8path(path);
}

std::string uri_of_path(const fs::path& path) {
  const std::u8string u8 = path.generic_u8string();
  std::string text(u8.begin(), u8.end());
  if (!text.starts_with("/")) text = "/" + text;
  std::string uri = "file://";
  static const char* const kHex = "0123456789ABCDEF";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u) || std::string_view("-._~/:").find(c) != std::string_view::npos) {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[u >> 4];
      uri += kHex[u & 15];
    }
  }
  return uri;
}

std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

int32_t utf16_column(std::string_view line, int32_t characters) {
  int32_t units = 0;
  std::size_t i = 0;
  for (int32_t c = 0; c < characters && i < line.size(); ++c) {
    const std::size_t length = sequence_length(static_cast<unsigned char>(line[i]));
    units += length == 4 ? 2 : 1;
    i += length;
  }
  return units;
}

int32_t character_column(std::string_view line, int32_t utf16) {
  int32_t units = 0;
  int32_t characters = 0;
  for (std::size_t i = 0; i < line.size() && units < utf16;) {
    const std::size_t length = sequence_length(static_cast<unsigned char>(line[i]));
    units += length == 4 ? 2 : 1;
    ++characters;
    i += length;
  }
  return characters;
}

std::string valid_utf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = sequence_length(lead);
    bool good = lead < 0x80 || (length > 1 && i + length <= bytes.size());
    uint32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; good && k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      good = (next & 0xC0) == 0x80;
      code = code << 6 | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
    if (good && length > 1) {
      static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
      good = code >= kLeast[length] && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
    }
    if (good) {
      text.append(bytes.substr(i, length));
      i += length;
    } else {
      text += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return text;
}

std::optional<SourceKind> source_kind(std::string_view file_name) {
  switch (kind_of_file(file_name)) {
    case FileKind::line_source:
      return SourceKind::line;
    case FileKind::train_source:
      return SourceKind::train;
    default:
      return std::nullopt;
  }
}

void Documents::put(const std::string& uri, std::string text, int version) {
  documents_[uri] = {uri, path_of_uri(uri), std::move(text), version};
}

void Documents::close(const std::string& uri) { documents_.erase(uri); }

const Document* Documents::find(const std::string& uri) const {
  const auto found = documents_.find(uri);
  return found == documents_.end() ? nullptr : &found->second;
}

const Document* Documents::at(const fs::path& path) const {
  for (const auto& [uri, document] : documents_) {
    if (document.path && *document.path == path) return &document;
  }
  return nullptr;
}

std::string Documents::uri_of(const fs::path& path) const {
  const Document* document = at(path);
  return document != nullptr ? document->uri : uri_of_path(path);
}

std::vector<SourcePair> Documents::pairs_of(const fs::path& file) const {
  const std::string name = name_of(file);
  const std::optional<SourceKind> kind = source_kind(name);
  if (!kind) return {};
  const fs::path folder = file.parent_path();
  if (*kind == SourceKind::train) {
    // NAME_NUM-.txt: the number after the last "_".
    const std::string stem = name.substr(0, name.size() - FileNames::kTrainSource.size());
    const std::size_t underscore = stem.rfind('_');
    if (underscore == std::string::npos || underscore == 0 || underscore + 1 == stem.size()) return {};
    SourcePair pair;
    pair.of = SourceKind::train;
    pair.names = {stem.substr(0, underscore), stem.substr(underscore + 1)};
    pair.train = file;
    pair.line = folder / fs::u8path(pair.names.line_source());
    return {pair};
  }
  const std::optional<std::string> line_name = line_name_of_line_source(name);
  if (!line_name) return {};  // "_linea.txt": no line name, nothing to pair
  // A train file of this line: NAME_NUM-.txt with a number.
  const auto train_number = [&line_name](const std::string& other) -> std::optional<std::string> {
    if (source_kind(other) != SourceKind::train || !other.starts_with(*line_name + "_")) return std::nullopt;
    return train_number_of_train_source(other, *line_name);
  };
  std::vector<std::pair<fs::path, std::string>> trains;  // path, number
  for (const auto& [uri, document] : documents_) {
    const std::optional<fs::path>& path = document.path;
    if (!path || path->parent_path() != folder) continue;
    if (const std::optional<std::string> number = train_number(name_of(*path))) trains.emplace_back(*path, *number);
  }
  if (trains.empty()) {
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
      std::error_code kind_error;
      if (!entries->is_regular_file(kind_error)) continue;  // a folder or a pipe is no train file
      if (const std::optional<std::string> number = train_number(name_of(entries->path()))) {
        trains.emplace_back(entries->path(), *number);
      }
    }
    std::sort(trains.begin(), trains.end());
    if (trains.size() > 1) trains.resize(1);
  }
  std::sort(trains.begin(), trains.end());
  std::vector<SourcePair> pairs;
  for (const auto& [path, number] : trains) {
    SourcePair pair{{*line_name, number}, file, path, SourceKind::line, pairs.empty()};
    pairs.push_back(std::move(pair));
  }
  if (pairs.empty()) pairs.push_back({{*line_name, "1"}, file, {}, SourceKind::line, true});
  return pairs;
}

SourceText Documents::source_of(const fs::path& file) const {
  SourceText source;
  if (file.empty()) return source;
  if (const Document* document = at(file)) {
    source.state = SourceText::State::present;
    source.bytes = to_windows1252(document->text);
    source.text = document->text;
    return source;
  }
  std::error_code error;
  const fs::file_status status = fs::status(file, error);
  if (error || !fs::exists(status)) return source;
  if (!fs::is_regular_file(status)) {
    source.state = SourceText::State::not_a_file;
    return source;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) return source;
  source.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) return {};
  source.state = SourceText::State::present;
  source.text = from_windows1252(source.bytes);
  return source;
}

}  // namespace scenario::tool::lsp
