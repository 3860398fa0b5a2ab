// Measures what a whole build costs against its floor, for the built-in
// scenario and for the largest line the compiler accepts. Prints a table; it
// is a program to run by hand, never a test.
//
//   scenario_bench [--runs N] [--running]
//
// A build is one short process, so every figure is a whole process, timed
// from its start to its end by this program:
//
//   build  the program itself for the built-in scenario (a copy of
//          scenario_builder in a folder of its own); for the largest line this
//          program again, doing what the program does with that line's sources.
//   floor  this program again, doing the same file-system work as the build in
//          the same order, with the bytes already in memory: each file replaced
//          through the program's own code (a temporary with one write, renamed
//          over the file), and the two source files read back and deleted as
//          the compile reads and deletes them. It first loads the bytes, and
//          the time that takes is left out of its figure.
//
// Build and floor alternate, so both meet the same state of the machine; each
// figure is the median of the runs with the middle half of them around it.
// Beside them the plan's integration alone, on memory already touched: the
// one part of a build whose steps follow one another, each waiting for the
// last.
//
// Then what an author waits for with the tool, timed in this process: a check
// of each case's sources, and the decompiler's way back from its compiled
// files to sources that give every byte; and the fastest run of the train
// over each case's compiled line (scenario_tool run).
//
// Last what the author waits for in the editor: from a change of the built-in
// line file to its diagnostics, with scenario_tool lsp (the program beside
// this one) as an editor starts it, with its pause for typing and without.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "base/large_array.h"
#include "base/read_file.h"
#include "base/replace_file.h"
#include "base/source_folder.h"
#include "base/windows1252.h"
#include "checker/checker.h"
#include "compiler/track_model.h"
#include "driver/form1.h"
#include "largest_line.h"
#include "output/compiled_files.h"
#include "output/compiled_input.h"
#include "output/compiled_layout.h"
#include "output/memorizza_percorso.h"
#include "recovery/decompile.h"
#include "recovery/round_trip.h"
#include "recovery/source_records.h"
#include "running/running_time.h"
#include "sources/text_writers.h"
#include "support/lsp_process.h"

extern char** environ;

namespace fs = std::filesystem;
using namespace scenario;

namespace {

constexpr int kDefaultRuns = 40;

[[noreturn]] void give_up(const std::string& why) {
  std::fprintf(stderr, "scenario_bench: %s\n", why.c_str());
  std::exit(1);
}

double ms_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// --- the two cases ------------------------------------------------------------

// One step of a build's file-system work, in the build's order.
enum class Step { replace, read, remove };
struct FileStep {
  Step step;
  std::string (FileNames::*name)() const;
};

struct Case {
  const char* name;
  FileNames files;
  bool text_documents;  // the built-in build also writes the driver's three documents
  int32_t metri;        // the plan's last metre
};

const Case kCases[] = {
    {"built-in line (103 km)", {std::string(kNomeLinea), std::string(kNumeroTreno)}, true, 110000},
    {"largest line (1000 km)", {"Linea_Massima", "1"}, false, 1007000},
};
constexpr std::size_t kBuiltIn = 0;

// The files a build replaces, reads and deletes, in its order: its sources
// and documents as the text writers write them, the two sources read back and
// deleted by the compile, then the compiled files.
std::vector<FileStep> text_steps(const Case& c) {
  std::vector<FileStep> steps = {{Step::replace, &FileNames::line_source}, {Step::replace, &FileNames::train_source}};
  if (c.text_documents) {
    steps.push_back({Step::replace, &FileNames::notes});
    steps.push_back({Step::replace, &FileNames::slowdown_order});
    steps.push_back({Step::replace, &FileNames::timetable_card});
  }
  for (const auto name : {&FileNames::line_source, &FileNames::train_source}) {
    steps.push_back({Step::read, name});
    steps.push_back({Step::remove, name});
  }
  return steps;
}

// Every file whose bytes the floor writes: the text files, then the compiled
// files.
std::vector<std::string> written_files(const Case& c) {
  std::vector<std::string> names;
  for (const FileStep& s : text_steps(c)) {
    if (s.step == Step::replace) names.push_back((c.files.*s.name)());
  }
  for (const std::string& n : {c.files.plan(), c.files.scenario(), c.files.route()}) names.push_back(n);
  return names;
}

// The two source files of a case, as its build writes them.
void write_sources(const Case& c, const fs::path& folder) {
  if (&c == &kCases[kBuiltIn]) {
    TrackModel m;
    m.nome_linea = c.files.nome_linea;
    m.numero_treno = c.files.numero_treno;
    dati_linea(folder, m);
    dati_treno(folder, m);
  } else {
    bench::write_largest_line_sources(folder, c.files.nome_linea, c.files.numero_treno);
  }
}

// --- what the measured processes do ------------------------------------------

// The largest line's build, as the program builds its own line: the two
// sources written, compiled, deleted and the compiled files written. Status 3
// when the line does not compile cleanly.
int build_largest(const fs::path& folder) {
  const Case& c = kCases[1];
  TrackModel m;
  m.nome_linea = c.files.nome_linea;
  m.numero_treno = c.files.numero_treno;
  write_sources(c, folder);
  int32_t j = 1;
  DiskFolder sources(folder);
  CompileReport report;
  if (memorizza_percorso(m, sources, folder, report, j) != Finish::compiled || m.codice_errore != 0) return 3;
  return 0;
}

using Bytes = LargeArray<char>;

// A file's bytes, in memory of the kind the program's plan is held in.
Bytes load(const fs::path& file) {
  Bytes bytes(fs::file_size(file));
  std::ifstream in(file, std::ios::binary);
  if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) give_up("cannot read " + file.string());
  return bytes;
}

std::string_view view(const Bytes& b) { return {b.data(), b.size()}; }

// The floor: the bytes of a case's files loaded from `ready`, then the build's
// file-system work in `folder` with them. Prints how long the loading took.
int floor_of(std::size_t case_index, const fs::path& ready, const fs::path& folder) {
  const auto start = std::chrono::steady_clock::now();
  const Case& c = kCases[case_index];
  std::vector<Bytes> bytes;
  for (const std::string& name : written_files(c)) bytes.push_back(load(in_folder(ready, name)));
  const double loading_ms = ms_since(start);

  std::size_t next = 0;
  DiskFolder sources(folder);
  for (const FileStep& s : text_steps(c)) {
    const std::string name = (c.files.*s.name)();
    switch (s.step) {
      case Step::replace:
        replace_file(in_folder(folder, name), view(bytes[next++]));
        break;
      case Step::read:
        if (sources.read(name).empty()) give_up(name + " is empty");
        break;
      case Step::remove:
        sources.remove(name);
        break;
    }
  }
  replace_compiled_files(folder, c.files, {view(bytes[next]), view(bytes[next + 1]), view(bytes[next + 2])});
  std::printf("%.6f\n", loading_ms);
  return 0;
}

// The plan's integration on memory already touched: a plan of metres
// 0..metri from its two starting points to its last computed metre, straight
// and curved in turn as the largest line is (400 m straight, 600 m of curve in
// every kilometre). Run once to touch the memory, then timed.
int integrate(int32_t metri) {
  Tracciato plan;
  double ms = 0;
  for (int run = 0; run < 2; ++run) {
    const auto start = std::chrono::steady_clock::now();
    plan.allocate(metri);
    plan.set(0, 0, PlanValue::integer(0));
    plan.set(1, 0, PlanValue::integer(0));
    plan.set(0, 1, PlanValue::integer(0));
    plan.set(1, 1, PlanValue::integer(1));
    const int32_t last = metri - 2;
    for (int32_t m = 2, km = 0; m <= last; ++km) {
      const int32_t straight_to = std::min(km * 1000 + 400, last);
      plan.run_straight(m, straight_to);
      const int32_t curve_to = std::min(km * 1000 + 999, last);
      plan.run_curve(straight_to + 1, curve_to, km % 2 == 0 ? -0.001 : 0.001);
      m = curve_to + 1;
    }
    if (plan.bytes().empty()) give_up("no plan");
    ms = ms_since(start);
  }
  std::printf("%.6f\n", ms);
  return 0;
}

// --- running and timing a process ---------------------------------------------

struct ProcessRun {
  double ms = 0;       // from its start to its end
  double peak_mb = 0;  // its peak resident memory
  std::string output;  // what it wrote on standard output
};

// Runs a program to its end: its standard output read, its standard error
// dropped when `quiet`. A process that fails ends the benchmark.
ProcessRun run_process(const fs::path& program, const std::vector<std::string>& arguments, bool quiet) {
  int out[2];
  if (pipe(out) != 0) give_up("no pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, out[1]);
  if (quiet) posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  // Every run starts with nothing of an earlier run waiting to be written
  // out: the kernel's writeback of one run would otherwise fall on the next.
  sync();
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
    give_up("cannot start " + program.string());
  }
  close(out[1]);
  ProcessRun run;
  char chunk[256];
  for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;) run.output.append(chunk, static_cast<std::size_t>(n));
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  run.ms = ms_since(start);
  close(out[0]);
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    give_up(program.filename().string() + (arguments.empty() ? "" : " " + arguments.front()) + " ended with status " +
            std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)));
  }
  run.peak_mb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  return run;
}

fs::path this_program() { return fs::read_symlink("/proc/self/exe"); }

double reported_ms(const ProcessRun& run) { return std::strtod(run.output.c_str(), nullptr); }

// --- the table -----------------------------------------------------------------

// The median of a series and the middle half of it around the median.
struct Spread {
  double median;
  double low;   // 25th percentile
  double high;  // 75th percentile
};

Spread spread_of(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const auto at = [&values](double q) { return values[static_cast<std::size_t>(q * (values.size() - 1) + 0.5)]; };
  return {at(0.5), at(0.25), at(0.75)};
}

std::string shown(const Spread& s) {
  char text[64];
  std::snprintf(text, sizeof text, "%7.2f (%.2f-%.2f)", s.median, s.low, s.high);
  return text;
}

fs::path fresh_folder(const std::string& tag) {
  std::random_device random;
  const fs::path folder = fs::temp_directory_path() / ("scenario-bench-" + tag + "-" + std::to_string(random()));
  fs::create_directories(folder);
  return folder;
}

// This process's own peak resident memory: the least a process it starts can
// be said to use (a new program's figure starts from its parent's).
double own_peak_mb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void measure(std::size_t case_index, int runs) {
  const Case& c = kCases[case_index];
  const fs::path self = this_program();
  const fs::path build_folder = fresh_folder("build");
  const fs::path ready_folder = fresh_folder("ready");
  const fs::path floor_folder = fresh_folder("floor");

  // The build and its arguments.
  fs::path program = self;
  std::vector<std::string> arguments = {"--build-largest", build_folder.string()};
  if (case_index == kBuiltIn) {
    program = build_folder / "scenario_builder";
    fs::copy_file(self.parent_path() / "scenario_builder", program);
    arguments.clear();
  }
  const std::vector<std::string> floor_arguments = {"--floor", std::to_string(case_index), ready_folder.string(),
                                                    floor_folder.string()};
  const std::vector<std::string> integrate_arguments = {"--integrate", std::to_string(c.metri)};

  // One build gives the bytes the floor writes; the sources it deleted are
  // written again as it wrote them. One floor run leaves the floor's folder
  // as full as the build's.
  run_process(program, arguments, true);
  std::size_t bytes_written = 0;
  std::size_t largest = 0;
  for (const std::string& name : written_files(c)) {
    const fs::path from = in_folder(build_folder, name);
    if (fs::exists(from)) fs::copy_file(from, in_folder(ready_folder, name));
  }
  write_sources(c, ready_folder);
  for (const std::string& name : written_files(c)) {
    const std::size_t size = fs::file_size(in_folder(ready_folder, name));
    bytes_written += size;
    largest = std::max(largest, size);
  }
  run_process(self, floor_arguments, false);

  std::vector<double> build_ms, floor_ms, integrate_ms, peaks, floor_peaks;
  for (int run = 0; run < runs; ++run) {
    const auto build = [&] {
      const ProcessRun r = run_process(program, arguments, true);
      build_ms.push_back(r.ms);
      peaks.push_back(r.peak_mb);
    };
    const auto floor = [&] {
      const ProcessRun r = run_process(self, floor_arguments, false);
      floor_ms.push_back(r.ms - reported_ms(r));
      floor_peaks.push_back(r.peak_mb);
    };
    if (run % 2 == 0) {
      build();
      floor();
    } else {
      floor();
      build();
    }
    integrate_ms.push_back(reported_ms(run_process(self, integrate_arguments, false)));
  }
  fs::remove_all(build_folder);
  fs::remove_all(ready_folder);
  fs::remove_all(floor_folder);

  const Spread build = spread_of(build_ms);
  const Spread floor = spread_of(floor_ms);
  const double peak = spread_of(peaks).median;
  const double largest_mb = static_cast<double>(largest) / (1024.0 * 1024.0);
  std::printf("%-24s %-24s %-24s %5.2f  %-22s %10zu %7.1f %7.1f %7.1f %5.2f\n", c.name, shown(build).c_str(),
              shown(floor).c_str(), build.median / floor.median, shown(spread_of(integrate_ms)).c_str(), bytes_written,
              peak, spread_of(floor_peaks).median, largest_mb, peak / largest_mb);
}

// --- the authoring tools ------------------------------------------------------

// What an author waits for with the tool, in this process: a check of the
// case's two sources (every diagnostic, nothing written), and the decompiler
// on its compiled files (reading them, recovering the sources, compiling
// those in memory and comparing every byte).
void measure_tools(std::size_t case_index, int runs) {
  const Case& c = kCases[case_index];
  const fs::path folder = fresh_folder("tools");
  write_sources(c, folder);
  const std::string line = read_file(in_folder(folder, c.files.line_source()));
  const std::string train = read_file(in_folder(folder, c.files.train_source()));
  {
    TrackModel m;
    m.nome_linea = c.files.nome_linea;
    m.numero_treno = c.files.numero_treno;
    int32_t j = 1;
    DiskFolder sources(folder);
    CompileReport report;
    if (memorizza_percorso(m, sources, folder, report, j) != Finish::compiled || m.codice_errore != 0) {
      give_up(std::string(c.name) + " does not compile");
    }
  }
  const fs::path sim_file = in_folder(folder, c.files.scenario());

  std::vector<double> check_ms, decompile_ms;
  std::size_t diagnostics = 0;
  bool every_byte = true;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    diagnostics = check_scenario({c.files, line, train}).diagnostics.size();
    check_ms.push_back(ms_since(start));

    const auto again = std::chrono::steady_clock::now();
    const CompiledFiles files = read_compiled_files(sim_file);
    const Decompiled d = decompile(files);
    const RoundTrip trip = round_trip(files, d.line_name, d.train_number, source_file_bytes(render(d.line)),
                                      source_file_bytes(render(d.train)), files.plan.has_value());
    decompile_ms.push_back(ms_since(again));
    every_byte = every_byte && files.damage.empty() && d.findings.empty() && trip.same;
  }
  fs::remove_all(folder);
  std::printf("%-24s %-24s %11zu   %-24s %s\n", c.name, shown(spread_of(check_ms)).c_str(), diagnostics,
              shown(spread_of(decompile_ms)).c_str(), every_byte ? "every byte" : "DIFFERENT");
}

// The fastest run of the case's train over its compiled line, as
// scenario_tool run does it from the model: the scenario read from the model,
// the line's profiles, the run in steps of 1 m, the legs and the boards.
void measure_run(std::size_t case_index, int runs) {
  const Case& c = kCases[case_index];
  const fs::path folder = fresh_folder("run");
  write_sources(c, folder);
  TrackModel m;
  m.nome_linea = c.files.nome_linea;
  m.numero_treno = c.files.numero_treno;
  int32_t j = 1;
  DiskFolder sources(folder);
  CompileReport report;
  if (compile_and_finish(m, sources, report, j) != Finish::compiled || m.codice_errore != 0) {
    give_up(std::string(c.name) + " does not compile");
  }
  fs::remove_all(folder);
  std::vector<double> read_ms, run_ms;
  std::size_t legs = 0, points = 0;
  double metres = 0;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    const ScenarioView view = view_of(m);
    read_ms.push_back(ms_since(start));
    const auto again = std::chrono::steady_clock::now();
    const running::RunResult result = running::run_scenario(view, running::train_of(view, nullptr));
    run_ms.push_back(ms_since(again));
    legs = result.legs.size();
    points = result.points.size();
    metres = result.legs.empty() ? 0 : result.legs.back().to - result.legs.front().from;
  }
  std::printf("%-24s %-24s %-24s %6zu %10.0f %9zu\n", c.name, shown(spread_of(read_ms)).c_str(),
              shown(spread_of(run_ms)).c_str(), legs, metres, points);
}

void print_run_heading() {
  std::printf("\n%-24s %-24s %-24s %6s %10s %9s\n", "case", "read ms", "run ms", "legs", "metres", "points");
}
void print_run_legend(int runs) {
  std::printf(
      "medians of %d runs in this process (the middle half in brackets); read: the scenario read from the\n"
      "compiled model (what every command that shows a scenario does first); run: the line's profiles and\n"
      "curves, the train's fastest run over every leg in steps of 1 m, the legs and the warning boards\n",
      runs);
}

// --- the editor ----------------------------------------------------------------

using Json = nlohmann::json;

// Long enough for a loaded machine; a server that does not answer in it is
// reported, never waited for.
constexpr std::chrono::seconds kEditorWait(10);

// The next message from the server that `wanted` accepts, skipping others;
// none when none came in time or the server ended.
template <typename Wanted>
std::optional<Json> await(testing::LspProcess& server, Wanted wanted) {
  const auto deadline = std::chrono::steady_clock::now() + kEditorWait;
  while (std::chrono::steady_clock::now() < deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    std::optional<Json> message = server.next(left);
    if (!message) return std::nullopt;
    if (wanted(*message)) return message;
  }
  return std::nullopt;
}

std::optional<Json> diagnostics_of(testing::LspProcess& server, const std::string& uri) {
  return await(server, [&uri](const Json& m) {
    return m.value("method", "") == "textDocument/publishDiagnostics" && m["params"]["uri"] == uri;
  });
}

// One server's session: the built-in pair opened, then `runs` changes of the
// line file, each the whole text as the server asks for it, each sent once
// the last one's diagnostics of both files are in. The changes add and take
// away a blank line, as an author pressing Enter. The milliseconds from each
// change to the line file's diagnostics go to `ms`; what went wrong, if
// anything, is returned.
std::optional<std::string> edit_session(const fs::path& tool, int debounce_ms, const fs::path& folder, int runs,
                                        std::vector<double>& ms, std::size_t& diagnostics) {
  const Case& c = kCases[kBuiltIn];
  const fs::path line_file = in_folder(folder, c.files.line_source());
  const fs::path train_file = in_folder(folder, c.files.train_source());
  const std::string line_uri = "file://" + line_file.string();
  const std::string train_uri = "file://" + train_file.string();
  const std::string line = from_windows1252(read_file(line_file));
  const std::string train = from_windows1252(read_file(train_file));
  const std::size_t first_break = line.find('\n') + 1;
  const std::string line_with_blank = line.substr(0, first_break) + "\r\n" + line.substr(first_break);

  testing::LspProcess server(tool, {"lsp", "--debounce", std::to_string(debounce_ms)});
  const auto request = [&server](int id, const std::string& method, const Json& params) {
    server.send({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
    return await(server, [id](const Json& m) { return m.contains("id") && m["id"] == id; });
  };
  const auto notify = [&server](const std::string& method, const Json& params) {
    server.send({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
  };
  if (!request(1, "initialize", {{"processId", nullptr}, {"rootUri", nullptr}, {"capabilities", Json::object()}})) {
    return "no answer to initialize";
  }
  notify("initialized", Json::object());
  // Each opening checks the pair and publishes both files' diagnostics.
  for (const auto& [uri, text] : {std::pair{line_uri, line}, std::pair{train_uri, train}}) {
    notify("textDocument/didOpen",
           {{"textDocument", {{"uri", uri}, {"languageId", "plaintext"}, {"version", 1}, {"text", text}}}});
    if (!diagnostics_of(server, line_uri) || !diagnostics_of(server, train_uri)) return "no diagnostics on opening";
  }

  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    notify("textDocument/didChange",
           {{"textDocument", {{"uri", line_uri}, {"version", run + 2}}},
            {"contentChanges", Json::array({{{"text", run % 2 == 0 ? line_with_blank : line}}})}});
    const std::optional<Json> published = diagnostics_of(server, line_uri);
    if (!published) return "no diagnostics within " + std::to_string(kEditorWait.count()) + " s of a change";
    ms.push_back(ms_since(start));
    diagnostics = published->at("params").at("diagnostics").size();
    if (!diagnostics_of(server, train_uri)) return "no diagnostics of the train file after a change";
  }
  if (!request(2, "shutdown", nullptr)) return "no answer to shutdown";
  notify("exit", nullptr);
  if (server.exit_status(kEditorWait) != 0) return "the server did not end with status 0";
  return std::nullopt;
}

// The editor's table: one row for the server with its usual pause for typing,
// one without it, which is the check and the protocol alone.
void measure_editor(int runs) {
  const fs::path tool = this_program().parent_path() / "scenario_tool";
  if (!fs::exists(tool)) {
    std::printf("\nno %s: the editor's figures are left out\n", tool.c_str());
    return;
  }
  const fs::path folder = fresh_folder("editor");
  write_sources(kCases[kBuiltIn], folder);
  std::printf("\n%-24s %-24s %11s\n", "scenario_tool lsp", "change to diagnostics ms", "diagnostics");
  for (const int debounce_ms : {20, 0}) {
    const std::string row = "--debounce " + std::to_string(debounce_ms);
    std::vector<double> ms;
    std::size_t diagnostics = 0;
    std::optional<std::string> failed;
    try {
      failed = edit_session(tool, debounce_ms, folder, runs, ms, diagnostics);
    } catch (const std::exception& e) {  // a server that cannot start or answers what is no message
      failed = e.what();
    }
    if (failed) {
      std::printf("%-24s %s\n", row.c_str(), failed->c_str());
    } else {
      std::printf("%-24s %-24s %11zu\n", row.c_str(), shown(spread_of(ms)).c_str(), diagnostics);
    }
  }
  fs::remove_all(folder);
  std::printf(
      "medians of %d changes of the built-in line file (the middle half in brackets), each from the change sent\n"
      "to the line file's diagnostics received, with the real server on pipes; diagnostics: the line file's;\n"
      "--debounce: how long the server waits for the typing to pause before it checks (20 ms unless told)\n",
      runs);
}

// The system's load over the last minute: the figures mean most on a quiet
// machine.
std::string load_average() {
  std::ifstream in("/proc/loadavg");
  std::string one_minute;
  in >> one_minute;
  return one_minute.empty() ? "unknown" : one_minute;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "--build-largest") return build_largest(args[1]);
  if (args.size() == 4 && args[0] == "--floor") return floor_of(std::stoul(args[1]), args[2], args[3]);
  if (args.size() == 2 && args[0] == "--integrate") return integrate(std::stoi(args[1]));
  // The largest line's two source files, for a look at them with the tool.
  if (args.size() == 2 && args[0] == "--write-largest-line") {
    bench::write_largest_line_sources(args[1], "Linea_Massima", "1");
    return 0;
  }
  int runs = kDefaultRuns;
  // --running: the run's table alone, for a quick look at its figures.
  const bool running_only = !args.empty() && args.back() == "--running";
  const std::size_t given = args.size() - (running_only ? 1 : 0);
  if (given == 2 && args[0] == "--runs") {
    runs = std::max(1, std::stoi(args[1]));
  } else if (given != 0) {
    std::fprintf(stderr, "usage: scenario_bench [--runs N] [--running]\n");
    return 64;
  }
  if (running_only) {
    print_run_heading();
    for (std::size_t i = 0; i < std::size(kCases); ++i) measure_run(i, runs);
    print_run_legend(runs);
    return 0;
  }

  std::printf("%-24s %-24s %-24s %5s  %-22s %10s %7s %7s %7s %5s\n", "case", "build ms", "floor ms", "ratio",
              "integration ms (warm)", "bytes", "peak MB", "floor", "file MB", "x");
  const std::string load_before = load_average();
  for (std::size_t i = 0; i < std::size(kCases); ++i) measure(i, runs);
  std::printf(
      "medians of %d runs (the middle half of them in brackets); each build and each floor a whole process;\n"
      "ratio: build / floor; integration: the plan's alone, on memory already touched; peak MB: a build's peak\n"
      "resident memory (median; at least this program's own, %.1f MB); floor: the same of a floor, which holds\n"
      "every byte it writes; file MB: the largest file written; x: peak / file; load average %s before, %s after\n",
      runs, own_peak_mb(), load_before.c_str(), load_average().c_str());

  std::printf("\n%-24s %-24s %11s   %-24s %s\n", "case", "check ms", "diagnostics", "decompile ms", "round trip");
  for (std::size_t i = 0; i < std::size(kCases); ++i) measure_tools(i, runs);
  std::printf(
      "medians of %d runs in this process (the middle half in brackets); check: every diagnostic of the two\n"
      "sources; decompile: reading the compiled files, recovering the sources, compiling them in memory and\n"
      "comparing every byte\n",
      runs);

  print_run_heading();
  for (std::size_t i = 0; i < std::size(kCases); ++i) measure_run(i, runs);
  print_run_legend(runs);

  measure_editor(runs);
}
