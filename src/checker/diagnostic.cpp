#include "checker/diagnostic.h"

#include <utility>

namespace scenario {

Diagnostic diagnostic(int32_t code, SourcePlace place, int32_t length, std::string message, std::string hint) {
  const CodeEntry* entry = find_code(code);
  return {entry != nullptr ? entry->severity : Severity::error,
          code,
          std::move(place),
          length,
          std::move(message),
          std::move(hint),
          {}};
}

}  // namespace scenario
