// scenario_tool diff: what differs between two builds, in an author's terms.
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "base/read_file.h"
#include "base/run_time_failure.h"
#include "base/source_folder.h"
#include "output/compiled_input.h"
#include "output/memorizza_percorso.h"
#include "recovery/scenario_diff.h"
#include "tool/command_line.h"
#include "tool/commands.h"
#include "tool/compiled_folder.h"

namespace scenario::tool {

namespace fs = std::filesystem;

const Command kDiffCommand = {
    "diff",
    "scenario_tool diff A B [--json]",
    "Tells two builds apart in an author's terms. Each of A and B is either\n"
    "compiled files (a folder holding one scenario, or its NAME_NUM.sim file) or a\n"
    "source pair, two operands LINE TRAIN (NAME_linea.txt and NAME_NUM-.txt),\n"
    "compiled in memory as the compile command does. So:\n"
    "\n"
    "  scenario_tool diff old new\n"
    "  scenario_tool diff out work/Corvalle_Brinta_linea.txt work/Corvalle_Brinta_24817-.txt\n"
    "\n"
    "Each difference is one line, placed by the kilometre that the second\n"
    "scenario's kilometre references give (as the viewer shows it): a station\n"
    "moved or retimed, a signal's, board's, sign's or slowdown's values changed,\n"
    "one added or removed, a gradient, speed or adhesion section\n"
    "changed between two kilometres, a curve changed, a general value changed.\n"
    "What records do not tell apart is given field by field. Compiled files are\n"
    "decoded whole first: a side with a file cut short, with bytes after its last\n"
    "record or with a count that does not fit cannot be read; each such file is\n"
    "named on standard error with the byte where it stops fitting.\n"
    "\n"
    "Options:\n"
    "  --json    the differences as one JSON document\n"
    "\n"
    "Exit status: 0 the same; 1 different; 2 a side cannot be read or compiled;\n"
    "64 usage error.\n",
    diff_command,
};

namespace {

// One side: compiled files, or a source pair compiled in memory.
CompiledFiles side(const std::vector<std::string>& operands, std::size_t& next) {
  const fs::path first = path_from_utf8(operands.at(next++));
  if (fs::is_directory(first) || kind_of_file(utf8_of_path(first.filename())) == FileKind::scenario) {
    const ChosenScenario chosen = choose_scenario(first, std::nullopt, std::nullopt);
    // A side is compared only when every file of it decodes whole.
    CompiledFiles files = read_compiled_files(chosen.sim_file);
    if (!files.damage.empty()) {
      for (const Damage& damage : files.damage) std::cerr << kToolName << ": " << damage_text(damage) << "\n";
      throw RunTimeFailure(utf8_of_path(first) + " cannot be read: its compiled files do not decode whole");
    }
    return files;
  }
  if (next >= operands.size())
    throw UsageError(utf8_of_path(first) + " is a source file without its train source file");
  const fs::path train = path_from_utf8(operands.at(next++));
  const auto line_name = line_name_of_line_source(utf8_of_path(first.filename()));
  if (!line_name) throw UsageError("cannot take the line name from \"" + utf8_of_path(first.filename()) + "\"");
  const auto number = train_number_of_train_source(utf8_of_path(train.filename()), *line_name);
  if (!number) throw UsageError("cannot take the train number from \"" + utf8_of_path(train.filename()) + "\"");
  TrackModel model;
  model.nome_linea = *line_name;
  model.numero_treno = *number;
  const FileNames names{*line_name, *number};
  MemoryFolder sources;
  sources.put(names.line_source(), read_file(first));
  sources.put(names.train_source(), read_file(train));
  CompileReport report;
  int32_t j = 1;
  const Finish finish = compile_and_finish(model, sources, report, j);
  if (finish != Finish::compiled) {
    throw RunTimeFailure(utf8_of_path(first) + " and " + utf8_of_path(train) + " end in errore " +
                         std::string(errore_number(finish)));
  }
  if (report.code != 0) {
    std::cerr << kToolName << ": " << utf8_of_path(first) << " and " << utf8_of_path(train) << " compile with code "
              << report.code << "\n";
  }
  return compiled_files_of(model);
}

}  // namespace

int diff_command(const std::vector<std::string>& args) {
  const Arguments arguments(args, {"--json"}, {});
  const std::vector<std::string>& operands = arguments.operands();
  if (operands.size() < 2) throw UsageError("missing operand");
  std::size_t next = 0;
  const CompiledFiles a = side(operands, next);
  if (next >= operands.size()) throw UsageError("missing operand");
  const CompiledFiles b = side(operands, next);
  if (next < operands.size()) throw UsageError("unexpected operand " + operands[next]);

  const std::vector<Difference> differences = diff_scenarios(a, b);
  if (arguments.has("--json")) {
    nlohmann::ordered_json doc;
    doc["same"] = differences.empty();
    doc["differences"] = nlohmann::json::array();
    for (const Difference& d : differences) {
      nlohmann::ordered_json item;
      item["kind"] = d.kind;
      item["change"] = d.change;
      item["from"] = d.from ? nlohmann::ordered_json(*d.from) : nlohmann::ordered_json(nullptr);
      item["to"] = d.to ? nlohmann::ordered_json(*d.to) : nlohmann::ordered_json(nullptr);
      if (d.from) item["from_km"] = d.from_place;
      if (d.to) item["to_km"] = d.to_place;
      item["what"] = d.what;
      doc["differences"].push_back(std::move(item));
    }
    std::cout << doc.dump(2) << "\n";
  } else {
    for (const Difference& d : differences) std::cout << difference_text(d) << "\n";
    if (differences.empty()) std::cout << "the same\n";
  }
  return differences.empty() ? kExitClean : kExitCodeSet;
}

}  // namespace scenario::tool
