// Measures what a build costs against the floor of writing the same bytes:
// the built-in scenario and the largest line the compiler accepts. Prints a
// table; it is a program to run by hand, never a test.
//
// The program builds once per process, so every timed build runs in a process
// of its own (this program started again with --run), paying for the fresh
// memory a real build pays for; the floor writes bytes this process already
// holds. Beside them, the plan's integration alone, also in a process of its
// own: its steps follow one another in a fixed order, each waiting for the
// last, so floor + integration is the least any build of the line can cost.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "base/source_folder.h"
#include "compiler/track_model.h"
#include "driver/form1.h"
#include "largest_line.h"
#include "output/compiled_input.h"
#include "output/compiled_layout.h"
#include "output/decompile.h"
#include "output/memorizza_percorso.h"
#include "output/round_trip.h"
#include "output/source_records.h"
#include "sources/text_writers.h"

namespace fs = std::filesystem;
using namespace scenario;

namespace {

constexpr int kRuns = 15;

// Median and spread of a series of measurements (times in ms, or memory).
struct Spread {
  double median;
  double min;
  double max;
};

Spread summarise(std::vector<double> measurements) {
  std::sort(measurements.begin(), measurements.end());
  return {measurements[measurements.size() / 2], measurements.front(), measurements.back()};
}

double time_ms(const std::function<void()>& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

std::string read_file(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every file a run writes, with its bytes, so the floor writes the same.
using Files = std::map<std::string, std::string>;

Files snapshot(const fs::path& folder) {
  Files files;
  for (const auto& entry : fs::directory_iterator(folder))
    files[entry.path().filename().string()] = read_file(entry.path());
  return files;
}

// The floor: the same bytes into the same number of files, one write each.
void write_floor(const fs::path& folder, const Files& files) {
  for (const auto& [name, bytes] : files) {
    std::FILE* f = std::fopen((folder / ("floor_" + name)).c_str(), "wb");
    std::setvbuf(f, nullptr, _IONBF, 0);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

// A build of the benchmark's sources always finishes; one that ends in an
// error number ends the benchmark.
void expect_compiled(Finish finish) {
  if (finish == Finish::compiled) return;
  std::fprintf(stderr, "scenario_bench: the build ended with errore %s\n", std::string(errore_number(finish)).c_str());
  std::exit(1);
}

TrackModel named_model(const std::string& line, const std::string& train) {
  TrackModel m;
  m.nome_linea = line;
  m.numero_treno = train;
  return m;
}

// The whole built-in build, as the driver runs it.
int32_t builtin_build(const fs::path& folder) {
  TrackModel m = named_model(std::string(kNomeLinea), std::string(kNumeroTreno));
  dati_linea(folder, m);
  dati_treno(folder, m);
  dati_note(folder, m);
  dati_rallentamenti(folder, m);
  dati_scheda(folder, m);
  int32_t j = 1;
  DiskFolder sources(folder);
  CompileReport report;
  expect_compiled(memorizza_percorso(m, sources, folder, report, j));
  return m.codice_errore;
}

int32_t largest_build(const fs::path& folder) {
  TrackModel m = named_model("Linea_Massima", "1");
  bench::write_largest_line_sources(folder, m.nome_linea, m.numero_treno);
  int32_t j = 1;
  DiskFolder sources(folder);
  CompileReport report;
  expect_compiled(memorizza_percorso(m, sources, folder, report, j));
  return m.codice_errore;
}

struct Case {
  const char* name;
  FileNames files;
  std::function<int32_t(const fs::path&)> build;
  std::function<void(const fs::path&)> write_sources;  // the source files a run also writes
};

const std::vector<Case>& cases() {
  static const std::vector<Case> all = {
      {"built-in line (103 km)",
       {std::string(kNomeLinea), std::string(kNumeroTreno)},
       builtin_build,
       [](const fs::path& f) {
         TrackModel m = named_model(std::string(kNomeLinea), std::string(kNumeroTreno));
         dati_linea(f, m);
         dati_treno(f, m);
       }},
      {"largest line (1000 km)",
       {"Linea_Massima", "1"},
       largest_build,
       [](const fs::path& f) { bench::write_largest_line_sources(f, "Linea_Massima", "1"); }},
  };
  return all;
}

fs::path fresh_folder(const char* tag) {
  std::random_device random;
  fs::path folder = fs::temp_directory_path() / ("scenario-bench-" + std::string(tag) + std::to_string(random()));
  fs::create_directories(folder);
  return folder;
}

// This process's peak resident memory in kB since it started this program.
// (The kernel's figure for a child counts the parent's memory it was forked
// with; this one starts afresh at exec.)
long peak_resident_kb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

// The child's side of a run: one build in `folder`, then its time, code and
// peak memory on standard output.
int run_one_build(const std::string& case_index, const fs::path& folder) {
  const Case& c = cases().at(std::stoul(case_index));
  int32_t code = 0;
  const double ms = time_ms([&] { code = c.build(folder); });
  std::printf("%.6f %d %ld\n", ms, code, peak_resident_kb());
  return 0;
}

// The child's side of an integration: a plan of metres 0..metri from its two
// starting points, straight on to its last computed metre (a curve's step
// costs a little more), then its time on standard output.
int run_one_integration(const std::string& metri) {
  const int32_t last = static_cast<int32_t>(std::stol(metri));
  const double ms = time_ms([&] {
    Tracciato plan;
    plan.allocate(last);
    plan.set(0, 0, PlanValue::integer(0));
    plan.set(0, 1, PlanValue::integer(0));
    plan.set(1, 0, PlanValue::integer(0));
    plan.set(1, 1, PlanValue::integer(1));
    plan.run_straight(2, last - 2);
  });
  std::printf("%.6f 0 %ld\n", ms, peak_resident_kb());
  return 0;
}

// The decompiler on a build's compiled files: read them, recover the
// sources and compile those back in memory against the files. True when they
// give every byte.
bool decompile_and_check(const fs::path& sim_file) {
  std::vector<Finding> findings;
  const CompiledFiles files = read_compiled_files(sim_file, findings);
  const Decompiled d = decompile(files);
  const RoundTrip trip = round_trip(files, d.line_name, d.train_number, source_file_bytes(render(d.line)),
                                    source_file_bytes(render(d.train)), files.plan.has_value());
  return findings.empty() && d.findings.empty() && trip.same;
}

struct ChildRun {
  double ms = 0;
  int32_t code = 0;
  double peak_mb = 0;  // the child's peak resident memory
};

// One run in a new process: this program again, with the given arguments.
ChildRun run_in_new_process(const std::vector<std::string>& arguments) {
  int out[2];
  if (pipe(out) != 0) std::exit(1);
  const pid_t child = fork();
  if (child == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    std::vector<char*> argv{const_cast<char*>("scenario_bench")};
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv("/proc/self/exe", argv.data());
    _exit(127);
  }
  close(out[1]);
  std::string report;
  char chunk[256];
  for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;) report.append(chunk, static_cast<std::size_t>(n));
  close(out[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ChildRun run;
  long peak_kb = 0;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      std::sscanf(report.c_str(), "%lf %d %ld", &run.ms, &run.code, &peak_kb) != 3) {
    std::fprintf(stderr, "scenario_bench: a measuring process failed\n");
    std::exit(1);
  }
  run.peak_mb = static_cast<double>(peak_kb) / 1024.0;
  return run;
}

ChildRun build_in_new_process(std::size_t case_index, const fs::path& folder) {
  return run_in_new_process({"--run", std::to_string(case_index), folder.string()});
}

ChildRun integrate_in_new_process(std::size_t metri) {
  return run_in_new_process({"--integrate", std::to_string(metri)});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--run") return run_one_build(argv[2], argv[3]);
  if (argc == 3 && std::string(argv[1]) == "--integrate") return run_one_integration(argv[2]);

  std::printf("%-24s %9s %17s %8s %17s %6s %8s %6s %10s %5s %8s %8s %5s\n", "case", "build ms", "(min-max)", "floor ms",
              "(min-max)", "ratio", "plan ms", "least", "bytes", "code", "peak MB", "largest", "x");
  std::vector<std::string> decompile_rows;
  for (std::size_t i = 0; i < cases().size(); ++i) {
    const Case& c = cases()[i];
    const fs::path folder = fresh_folder("run");
    // One untimed build gives the files the floor writes.
    ChildRun first = build_in_new_process(i, folder);
    std::size_t largest_output = 0;
    for (const auto& [name, bytes] : snapshot(folder)) largest_output = std::max(largest_output, bytes.size());
    c.write_sources(folder);  // the run also wrote (and deleted) its two source files
    const Files all = snapshot(folder);
    std::size_t total = 0;
    for (const auto& [name, bytes] : all) total += bytes.size();
    const std::size_t metri = decode_plan(all.at(c.files.plan())).per_column() - 1;

    // Build, floor and integration alternate, so all meet the same state of
    // the machine.
    const fs::path floor_folder = fresh_folder("floor");
    write_floor(floor_folder, all);
    std::vector<double> build_ms, floor_ms, plan_ms;
    std::vector<double> peaks{first.peak_mb};
    int32_t code = first.code;
    for (int run = 0; run < kRuns; ++run) {
      const ChildRun build = build_in_new_process(i, folder);
      build_ms.push_back(build.ms);
      peaks.push_back(build.peak_mb);
      if (build.code != 0) code = build.code;
      floor_ms.push_back(time_ms([&] { write_floor(floor_folder, all); }));
      plan_ms.push_back(integrate_in_new_process(metri).ms);
    }
    const Spread build = summarise(build_ms);
    const Spread floor = summarise(floor_ms);
    const Spread plan = summarise(plan_ms);
    const double peak_mb = summarise(peaks).median;
    const double largest_mb = static_cast<double>(largest_output) / (1024.0 * 1024.0);
    std::printf("%-24s %9.2f (%6.2f-%7.2f) %8.2f (%6.2f-%7.2f) %6.2f %8.2f %6.2f %10zu %5d %8.1f %8.1f %5.2f\n", c.name,
                build.median, build.min, build.max, floor.median, floor.min, floor.max, build.median / floor.median,
                plan.median, (floor.median + plan.median) / floor.median, total, code, peak_mb, largest_mb,
                peak_mb / largest_mb);

    // The decompiler on the build's files, in this process.
    std::vector<double> decompile_ms;
    bool round_trips = true;
    for (int run = 0; run < kRuns; ++run) {
      decompile_ms.push_back(
          time_ms([&] { round_trips = decompile_and_check(in_folder(folder, c.files.scenario())) && round_trips; }));
    }
    const Spread decompiled = summarise(decompile_ms);
    char row[160];
    std::snprintf(row, sizeof row, "%-24s %12.2f (%6.2f-%7.2f) %s", c.name, decompiled.median, decompiled.min,
                  decompiled.max, round_trips ? "every byte" : "DIFFERENT");
    decompile_rows.emplace_back(row);
    fs::remove_all(folder);
    fs::remove_all(floor_folder);
  }
  std::printf(
      "medians of %d runs, each build alone in a new process; ratio: build / floor; plan ms: the plan's integration\n"
      "alone, straight on, in a new process; least: (floor + plan) / floor, the least ratio any build can reach;\n"
      "peak MB: a build process's peak resident memory (median); x: peak memory / largest output file (MB)\n",
      kRuns);
  std::printf("\n%-24s %12s %17s %s\n", "case", "decompile ms", "(min-max)", "round trip");
  for (const std::string& row : decompile_rows) std::printf("%s\n", row.c_str());
  std::printf(
      "medians of %d runs in this process: reading the compiled files, recovering the sources, compiling them\n"
      "in memory and comparing every byte\n",
      kRuns);
}
