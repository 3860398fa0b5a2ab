#include "compiler/codes.h"

#include <algorithm>

namespace scenario {

namespace {

// No number and no name is listed twice.
consteval bool each_code_once() {
  for (std::size_t i = 0; i < std::size(kCodeTable); ++i) {
    for (std::size_t j = i + 1; j < std::size(kCodeTable); ++j) {
      if (kCodeTable[i].number == kCodeTable[j].number || kCodeTable[i].name == kCodeTable[j].name) return false;
    }
  }
  return true;
}
static_assert(each_code_once(), "a code number or name is listed twice in the code table");

}  // namespace

const CodeEntry* find_code(int32_t number) {
  const auto found = std::find_if(std::begin(kCodeTable), std::end(kCodeTable),
                                  [number](const CodeEntry& entry) { return entry.number == number; });
  return found == std::end(kCodeTable) ? nullptr : found;
}

const CodeEntry* find_code(std::string_view name) {
  const auto found = std::find_if(std::begin(kCodeTable), std::end(kCodeTable),
                                  [name](const CodeEntry& entry) { return entry.name == name; });
  return found == std::end(kCodeTable) ? nullptr : found;
}

std::string_view severity_name(Severity severity) {
  switch (severity) {
    case Severity::error:
      return "error";
    case Severity::warning:
      return "warning";
    case Severity::note:
      return "note";
  }
  return "error";
}

}  // namespace scenario
