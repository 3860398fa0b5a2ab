// Measures what a build costs against the floor of writing the same bytes:
// the built-in scenario and the largest line the compiler accepts. Prints a
// table; it is a program to run by hand, never a test.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "compiler/track_model.h"
#include "driver/form1.h"
#include "largest_line.h"
#include "output/file_names.h"
#include "output/memorizza_percorso.h"
#include "sources/text_writers.h"

namespace fs = std::filesystem;
using namespace scenario;

namespace {

constexpr int kRuns = 15;

struct Timing {
  double median_ms;
  double min_ms;
  double max_ms;
};

Timing summarise(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.front(), ms.back()};
}

double time_ms(const std::function<void()>& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Times a build and its floor in alternation, so both meet the same state of
// the machine; one untimed run of each first.
std::pair<Timing, Timing> measure(const std::function<void()>& build, const std::function<void()>& floor) {
  build();
  floor();
  std::vector<double> build_ms, floor_ms;
  for (int i = 0; i < kRuns; ++i) {
    build_ms.push_back(time_ms(build));
    floor_ms.push_back(time_ms(floor));
  }
  return {summarise(build_ms), summarise(floor_ms)};
}

std::string read_file(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every file a run writes, with its bytes, so the floor writes the same.
using Files = std::map<std::string, std::string>;

Files snapshot(const fs::path& folder) {
  Files files;
  for (const auto& entry : fs::directory_iterator(folder)) files[entry.path().filename().string()] = read_file(entry.path());
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

[[noreturn]] void unexpected_errore(const std::string& a) {
  std::fprintf(stderr, "scenario_bench: the build ended with errore %s\n", a.c_str());
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
  memorizza_percorso(m, folder, j, unexpected_errore);
  return m.codice_errore;
}

int32_t largest_build(const fs::path& folder) {
  TrackModel m = named_model("Linea_Massima", "1");
  bench::write_largest_line_sources(folder, m.nome_linea, m.numero_treno);
  int32_t j = 1;
  memorizza_percorso(m, folder, j, unexpected_errore);
  return m.codice_errore;
}

struct Case {
  const char* name;
  std::function<int32_t(const fs::path&)> build;
  std::function<void(const fs::path&)> write_sources;  // the source files a run also writes
};

fs::path fresh_folder(const char* tag) {
  std::random_device random;
  fs::path folder = fs::temp_directory_path() / ("scenario-bench-" + std::string(tag) + std::to_string(random()));
  fs::create_directories(folder);
  return folder;
}

// Peak resident memory (MB) of one build run alone in a child process, so the
// figure is the build's own and not the benchmark's copies of the files.
double peak_memory_mb(const Case& c) {
  const pid_t child = fork();
  if (child == 0) {
    const fs::path folder = fresh_folder("memory");
    c.build(folder);
    fs::remove_all(folder);
    _exit(0);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main() {
  const std::vector<Case> cases = {
      {"built-in line (103 km)", builtin_build,
       [](const fs::path& f) {
         TrackModel m = named_model(std::string(kNomeLinea), std::string(kNumeroTreno));
         dati_linea(f, m);
         dati_treno(f, m);
       }},
      {"largest line (1000 km)", largest_build,
       [](const fs::path& f) { bench::write_largest_line_sources(f, "Linea_Massima", "1"); }},
  };

  std::printf("%-24s %9s %19s %9s %19s %6s %10s %5s %8s %9s %6s\n", "case", "build ms", "(min-max)", "floor ms",
              "(min-max)", "ratio", "bytes", "code", "peak MB", "largest", "x");
  // Memory first, while this process is still small: a child starts with
  // the parent's resident pages.
  std::vector<double> peaks;
  for (const Case& c : cases) peaks.push_back(peak_memory_mb(c));

  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const fs::path folder = fresh_folder("run");
    int32_t code = c.build(folder);
    std::size_t largest_output = 0;
    for (const auto& [name, bytes] : snapshot(folder)) largest_output = std::max(largest_output, bytes.size());
    c.write_sources(folder);  // the run also wrote (and deleted) its two source files
    const Files all = snapshot(folder);
    std::size_t total = 0;
    for (const auto& [name, bytes] : all) total += bytes.size();

    const fs::path floor_folder = fresh_folder("floor");
    const auto [build, floor] = measure([&] { code = c.build(folder); }, [&] { write_floor(floor_folder, all); });
    const double peak_mb = peaks[i];
    const double largest_mb = static_cast<double>(largest_output) / (1024.0 * 1024.0);
    std::printf("%-24s %9.2f (%7.2f-%8.2f) %9.2f (%7.2f-%8.2f) %6.2f %10zu %5d %8.1f %9.1f %6.2f\n", c.name,
                build.median_ms, build.min_ms, build.max_ms, floor.median_ms, floor.min_ms, floor.max_ms,
                build.median_ms / floor.median_ms, total, code, peak_mb, largest_mb, peak_mb / largest_mb);
    fs::remove_all(folder);
    fs::remove_all(floor_folder);
  }
  std::printf("ratio: build time / floor time (medians of %d runs); peak MB: the build's peak resident memory\n"
              "in a process of its own; x: peak memory / largest output file (MB)\n",
              kRuns);
}
