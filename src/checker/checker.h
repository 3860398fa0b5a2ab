#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "checker/diagnostic.h"
#include "compiler/source_format.h"

namespace scenario {

// Every problem of a pair of source files, found in one run without writing
// anything: the errors a build would meet, in the order it would meet them
// (the first is the compile's own), each found by compiling again in memory
// with the records that failed left out; the finishing errors; and the
// warnings and notes, at their places in the sources.

struct CheckSources {
  FileNames names;                   // the line name and the train number
  std::optional<std::string> line;   // the line source file's bytes; none when it is missing
  std::optional<std::string> train;  // the train source file's bytes
};

struct RecordsRead {
  Record record;
  int count;
};

struct CheckResult {
  Diagnostics diagnostics;  // errors in the order met, warnings and notes among them in source order
  // What the last compile read, by kind of record, in the format's order;
  // kinds not read are left out.
  std::vector<RecordsRead> read;
  // Errors found past the listing limit and left out of `diagnostics`; and
  // whether the count of them stopped at the counting limit too.
  int errors_not_listed = 0;
  bool more_not_counted = false;

  int count(Severity severity) const;
};

// How far a check goes: it lists this many errors (0: every one) and counts
// on up to ten times as many, or looks this long; the first error is always
// found.
struct CheckLimits {
  int most_errors = 200;
  double seconds = 0;  // 0: no limit
};

CheckResult check_scenario(const CheckSources& sources, const CheckLimits& limits = {});

// What to report of a check: codes switched off, and warnings taken as errors.
struct CheckOptions {
  std::vector<int32_t> disabled;
  bool warnings_as_errors = false;
};
void apply_options(CheckResult& result, const CheckOptions& options);

// "13 stations, 29 signals, 40 curves, ..." of what a check read.
std::string records_read_text(const std::vector<RecordsRead>& read);

}  // namespace scenario
