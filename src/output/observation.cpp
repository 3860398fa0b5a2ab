#include "output/observation.h"

namespace scenario {

namespace {

SourcePlace place_of(const FieldRead& f) { return {std::string(f.file), f.line, f.column}; }

}  // namespace

const ObservedField* ObservedRecord::field(std::string_view name) const {
  for (const ObservedField& f : fields) {
    if (f.format->name == name) return &f;
  }
  return nullptr;
}

std::optional<int32_t> ObservedRecord::number(std::string_view name) const {
  const ObservedField* f = field(name);
  if (f == nullptr) return std::nullopt;
  return f->number;
}

void Observation::file_opened(std::string_view name, std::string_view bytes) {
  files[std::string(name)] = std::string(bytes);
  line_starts_.erase(std::string(name));
}

std::string_view Observation::line_of(std::string_view file, int32_t line) const {
  const auto found = files.find(file);
  if (found == files.end() || line < 1) return {};
  const std::string_view bytes = found->second;
  auto starts = line_starts_.find(file);
  if (starts == line_starts_.end()) {
    // Lines end at CR LF, CR or LF, as the compiler counts them.
    std::vector<std::size_t> at = {0};
    for (std::size_t i = bytes.find_first_of("\r\n"); i != std::string_view::npos;
         i = bytes.find_first_of("\r\n", i + 1)) {
      if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      at.push_back(i + 1);
    }
    starts = line_starts_.emplace(std::string(file), std::move(at)).first;
  }
  const std::vector<std::size_t>& at = starts->second;
  if (static_cast<std::size_t>(line) > at.size()) return {};
  const std::size_t start = at[static_cast<std::size_t>(line) - 1];
  if (start > bytes.size()) return {};
  const std::size_t end = bytes.find_first_of("\r\n", start);
  return bytes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

void Observation::record(const RecordFormat& format, const FieldRead& keyword) {
  records.push_back({&format, place_of(keyword), std::string(keyword.text), {}});
}

void Observation::field(const FieldFormat& format, const FieldRead& field) {
  if (records.empty()) return;
  records.back().fields.push_back({&format, place_of(field), std::string(field.text), field.number});
}

void Observation::passed_over(const FieldRead& field, PassedOver why) {
  passed.push_back({place_of(field), std::string(field.text), why});
}

const ObservedRecord* Observation::record_at(const SourcePlace& place) const {
  for (auto it = records.rbegin(); it != records.rend(); ++it) {
    if (it->place == place) return &*it;
  }
  return nullptr;
}

std::vector<const ObservedRecord*> Observation::of(Record id) const {
  std::vector<const ObservedRecord*> found;
  for (const ObservedRecord& r : records) {
    if (r.format->id == id) found.push_back(&r);
  }
  return found;
}

}  // namespace scenario
