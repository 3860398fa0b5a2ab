// The fields the compile passed over: keywords misspelled, turned into
// comments, in the other file or the wrong block; fields after a record's last
// one; a train source file without "[generale]".
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "checker/source_links.h"
#include "checker/source_warnings.h"
#include "checker/warning_context.h"
#include "compiler/source_reader.h"

namespace scenario {

namespace {

using namespace warnings;

// Edits (insert, delete, change, swap of two neighbours) from a to b.
std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

// Letters and blanks of a keyword, lower case: digits and marks aside.
std::string letters_of(std::string_view text) {
  std::string out;
  for (const char c : lower(trimmed(text))) {
    if ((c >= 'a' && c <= 'z') || c == ' ' || c == '_') out += c;
  }
  return out;
}

const RecordFormat* recognising(std::span<const RecordFormat> formats, std::string_view keyword,
                                bool ignore_case = false) {
  for (const RecordFormat& format : formats) {
    if (recognises(format, keyword)) return &format;
    if (ignore_case) {
      RecordFormat any_case = format;
      any_case.exact_case = false;
      if (recognises(any_case, keyword)) return &format;
    }
  }
  return nullptr;
}

class KeywordWarnings {
 public:
  explicit KeywordWarnings(Context& c) : c_(c) {}

  void find() {
    utf16_files();
    passed_over_fields();
    train_without_general_block();
  }

 private:
  // The record of the same file whose fields end on `place`'s line before it.
  const ObservedRecord* record_ending_on(const SourcePlace& place) const {
    for (auto it = c_.o.records.rbegin(); it != c_.o.records.rend(); ++it) {
      if (it->place.file != place.file) continue;
      const SourcePlace& last = it->fields.empty() ? it->place : it->fields.back().place;
      if (last.line == place.line && before(last, place)) return &*it;
      if (before(it->place, place)) return nullptr;
    }
    return nullptr;
  }

  // A file saved as UTF-16 has a zero byte beside each ASCII letter.
  void utf16_files() {
    for (const auto& [name, bytes] : c_.o.files) {
      const bool mark = bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
      const auto zeros = std::count(bytes.begin(), bytes.end(), '\0');
      if (!mark && (zeros == 0 || static_cast<std::size_t>(zeros) * 4 < bytes.size())) continue;
      c_.add(code::file_in_utf16, {name, 0, 0}, 0,
             "the file is UTF-16 text, but the compiler reads Windows-1252: it recognises no keyword in it",
             "save the file as Windows-1252 (\"Western\"), or as plain ASCII");
    }
  }

  void passed_over_fields() {
    std::set<std::pair<std::string, int32_t>> skipped_lines;  // lines whose first field was reported
    for (const PassedOverField& f : c_.o.passed) {
      const std::string_view text = trimmed(f.text);
      const SourceKind kind = c_.kind_of(f.place.file);
      const SourceFormat& format = format_of(kind);
      const bool in_general = kind == SourceKind::line && c_.general.contains(f.place.line);
      const auto line_key = std::make_pair(f.place.file, f.place.line);
      if (f.why == PassedOver::comment) {
        std::string as_keyword(text);
        std::replace(as_keyword.begin(), as_keyword.end(), '-', '_');
        const bool one_word = as_keyword.find(' ') == std::string::npos && !as_keyword.starts_with("_");
        const RecordFormat* meant = recognising(in_general ? format.general : format.records, as_keyword);
        if (one_word && meant != nullptr) {
          skipped_lines.insert(line_key);
          c_.add(code::keyword_in_comment, f.place, static_cast<int32_t>(f.text.size()),
                 "the hyphen makes " + in_quotes(text) + " a comment: it is discarded and the record " +
                     in_quotes(meant->keyword) + " is skipped",
                 "write " + in_quotes(meant->keyword));
        }
        continue;
      }
      if (f.why != PassedOver::unknown || text.empty()) continue;
      if (const ObservedRecord* record = record_ending_on(f.place); record != nullptr && record->complete()) {
        if (!skipped_lines.insert(line_key).second) continue;
        stray_field(f, *record);
        continue;
      }
      if (!skipped_lines.insert(line_key).second) continue;
      if (text.find('-') != std::string_view::npos && !is_number(text)) {
        const int limit = in_general ? format.general_comments : format.record_comments;
        c_.add(code::comment_past_the_limit, f.place, static_cast<int32_t>(f.text.size()),
               in_quotes(text) + " follows " + num(limit) +
                   " comments in a row, as many as are discarded: this one is read as a keyword field and skipped",
               "put a record between the comments, or join them on fewer lines");
        continue;
      }
      unknown_keyword(f, kind, in_general);
    }
  }

  void stray_field(const PassedOverField& f, const ObservedRecord& record) {
    const ObservedField& last = record.fields.empty() ? ObservedField{} : record.fields.back();
    const std::string_view text = trimmed(f.text);
    std::string hint;
    if (last.format != nullptr && is_text(*last.format) && is_number(last.text) && !is_number(text)) {
      // The text took a number and the text itself came after: a field too
      // many stands somewhere before it.
      c_.add(code::field_inserted, f.place, static_cast<int32_t>(f.text.size()),
             in_quotes(record.format->keyword) + " has a field more than its " +
                 num(static_cast<int64_t>(record.format->fields.size())) + ": its " + std::string(last.format->name) +
                 " reads " + in_quotes(trimmed(last.text)) + " and " + in_quotes(text) +
                 " is left over; every field after the inserted one is shifted",
             "remove the field too many, so that " + in_quotes(text) + " is the " + std::string(last.format->name));
      return;
    }
    if (last.format != nullptr && is_text(*last.format)) {
      hint = "a comma ends a text: write " + in_quotes(last.text + f.text) + " without the comma";
    } else if (is_number(text)) {
      hint = "numbers are whole: " + num(last.number) + "," + std::string(text) + " is read as " + num(last.number) +
             " and a stray " + std::string(text);
    } else {
      hint = "write the number alone: no unit or word after it";
    }
    c_.add(code::stray_field, f.place, static_cast<int32_t>(f.text.size()),
           in_quotes(text) + " follows the last field of " + in_quotes(record.format->keyword) + " (" +
               std::string(record.format->fields.back().name) + "); it is read as a keyword field and skipped",
           hint);
  }

  void unknown_keyword(const PassedOverField& f, SourceKind kind, bool in_general) {
    const std::string_view text = trimmed(f.text);
    const SourceFormat& format = format_of(kind);
    const SourceFormat& other = format_of(kind == SourceKind::line ? SourceKind::train : SourceKind::line);
    const int32_t length = static_cast<int32_t>(f.text.size());
    if (is_number(text)) {
      c_.add(code::unknown_keyword, f.place, length,
             "a line that starts with a number, " + in_quotes(text) +
                 ": a record starts with its keyword, so it is skipped",
             "give the record's keyword first, or join the line to the record before it");
      return;
    }
    if (in_general) {
      if (const RecordFormat* meant = recognising(format.general, text, true)) {
        c_.add(code::general_keyword_case, f.place, length,
               in_quotes(text) + " is not recognised: the general block's keywords are matched in exact letter case",
               "write " + in_quotes(meant->keyword));
        return;
      }
      if (const RecordFormat* meant = recognising(format.records, text)) {
        c_.add(code::unknown_keyword, f.place, length,
               in_quotes(text) + " stands in the general block, which reads only its own records: it is skipped",
               "end the general block with a section header (such as " + in_quotes(format.sections[1].header) +
                   ") before " + in_quotes(meant->keyword));
        return;
      }
    }
    for (const auto records : {other.general, other.records}) {
      if (const RecordFormat* meant = recognising(records, text)) {
        c_.add(code::record_of_the_other_file, f.place, length,
               in_quotes(text) + " is a record of the " + (kind == SourceKind::line ? "train" : "line") +
                   " source file: this file skips it",
               "move " + in_quotes(meant->keyword) + " to the " + (kind == SourceKind::line ? "train" : "line") +
                   " source file");
        return;
      }
    }
    const std::string nearest = nearest_keyword(text, kind, in_general);
    c_.add(code::unknown_keyword, f.place, length,
           in_quotes(text) + " names no record" + (in_general ? " of the general block" : "") + ": it is skipped",
           nearest.empty() ? "check the keyword" : "did you mean " + in_quotes(nearest) + "?");
  }

  void train_without_general_block() {
    const std::string train = c_.names.train_source();
    if (!c_.o.files.contains(train)) return;
    for (const ObservedRecord& r : c_.o.records) {
      if (r.place.file == train) return;
    }
    SourcePlace place{train, 1, 0};
    int32_t length = 0;
    std::string hint = "start the train's general block with \"[generale]\"";
    bool any = false;
    for (const PassedOverField& f : c_.o.passed) {
      if (f.place.file != train) continue;
      if (f.why == PassedOver::header) return;  // "[generale]" found, the file holds no record
      if (f.why != PassedOver::before_general_block) continue;
      any = true;
      if (trimmed(f.text).starts_with("[")) {
        place = f.place;
        length = static_cast<int32_t>(f.text.size());
        hint = "the train's general block starts with \"[generale]\", not " + in_quotes(trimmed(f.text));
        break;
      }
    }
    if (!any) return;
    c_.add(code::train_without_general_block, place, length,
           "the train source file has no \"[generale]\": nothing of it is read (no stations, no signals, no speed "
           "limit)",
           hint);
  }

  Context& c_;
};

}  // namespace

namespace warnings {
void keyword_warnings(Context& c) { KeywordWarnings(c).find(); }
}  // namespace warnings

std::string nearest_keyword(std::string_view keyword, SourceKind kind, bool general_block) {
  const SourceFormat& format = format_of(kind);
  const std::string wanted = letters_of(keyword);
  if (wanted.empty()) return {};
  const RecordFormat* best = nullptr;
  std::size_t best_distance = std::max<std::size_t>(2, wanted.size() / 3) + 1;
  for (const RecordFormat& record : general_block ? format.general : format.records) {
    for (const std::string_view candidate : {record.keyword, record.tests[0]}) {
      // The distance is at least the difference of the lengths: a keyword
      // far longer than every candidate (a line of megabytes) costs nothing.
      const std::string letters = letters_of(candidate);
      if (wanted.size() >= letters.size() + best_distance) continue;
      const std::size_t distance = edit_distance(wanted, letters);
      if (distance < best_distance) {
        best_distance = distance;
        best = &record;
      }
    }
  }
  if (best == nullptr) return {};
  if (best->id == Record::curva) {
    // A curve keeps the side and the class that were written: "curvd4" meant
    // a right curve of class 4.
    const std::string written = lower(trimmed(keyword));
    const std::size_t curv = written.find("curv");
    const std::string after = curv == std::string::npos ? written : written.substr(curv + 4);
    const bool left = after.find('s') != std::string::npos ||
                      (after.find('d') == std::string::npos && written.find('s') != std::string::npos);
    std::string digit = "4";
    for (char d = '1'; d <= '6'; ++d) {
      if (written.find(d) != std::string::npos) {
        digit = std::string(1, d);
        break;
      }
    }
    return std::string(left ? "curvas" : "curvad") + digit;
  }
  return std::string(best->keyword);
}

}  // namespace scenario
