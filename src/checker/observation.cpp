#include "checker/observation.h"

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
  line_indexes_.erase(std::string(name));  // it looked into the bytes replaced
}

std::string_view Observation::line_of(std::string_view file, int32_t line) const {
  const auto found = files.find(file);
  if (found == files.end()) return {};
  auto index = line_indexes_.find(file);
  if (index == line_indexes_.end()) index = line_indexes_.emplace(std::string(file), LineIndex(found->second)).first;
  return index->second.line(line);
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
