// scenario_tool view: one HTML page to explore a scenario, from its compiled
// files or compiled from its sources, optionally served and rebuilt as the
// sources change.
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "base/read_file.h"
#include "base/replace_file.h"
#include "base/source_folder.h"
#include "output/memorizza_percorso.h"
#include "tool/build_extent.h"
#include "tool/command_line.h"
#include "tool/commands.h"
#include "tool/diagnostic_output.h"
#include "tool/diagnostics.h"
#include "tool/page_diagnostics.h"
#include "tool/run_page_data.h"
#include "tool/scenario_files.h"
#include "tool/source_links.h"
#include "tool/view_server.h"
#include "tool/viewer_data.h"
#include "view/scenario_view.h"

namespace scenario::tool {

namespace fs = std::filesystem;

const Command kViewCommand = {
    "view",
    "scenario_tool view (DIR | LINE TRAIN) [-o FILE.html] [--watch [--port N]] [--line-name NAME] "
    "[--train-number NUM]",
    "Writes one HTML page to explore a scenario in a browser. It works offline:\n"
    "its script, style and data are inside it; open it with a double-click.\n"
    "\n"
    "  - the plan of the line, zoomed and panned with the mouse wheel, by dragging\n"
    "    and with the keys + - and the arrows (0 shows it all): kilometre posts,\n"
    "    curves by class and side, stations with their areas and stop cells,\n"
    "    signals, signs, speed boards, slowdowns with their warning boards, speed\n"
    "    abatement points, mountains, the start and the end of the line;\n"
    "  - under it, on one axis of progressives with the kilometre posts, the\n"
    "    objects along the line and the profiles: the speed limit (with the\n"
    "    slowdowns), gradient, height, curvature and adhesion. Hovering shows\n"
    "    every value at that point and the point on the plan; dragging over the\n"
    "    profiles zooms plan and profiles to that stretch;\n"
    "  - the train's fastest run (as scenario_tool run, with the default rolling\n"
    "    stock): its speed over the speed limit, traction and braking told\n"
    "    apart, and a time-distance graph with the timetable's points and each\n"
    "    leg's margin.\n"
    "\n"
    "With DIR, the compiled scenario in DIR is shown (as for plot). With LINE and\n"
    "TRAIN, the two source files are compiled in memory as compile does (they\n"
    "are never changed) and every object shows the file and line it came from;\n"
    "the compile's codes are listed beside the plan and drawn at their place.\n"
    "\n"
    "With --watch the page is served on 127.0.0.1 (only there) and rebuilt\n"
    "whenever a source file (or a compiled file in DIR) changes; the open page\n"
    "takes the new build and keeps its view. Ctrl-C stops.\n"
    "\n"
    "Options:\n"
    "  -o FILE.html          where to write the page (default: DIR/NAME_NUM.html,\n"
    "                        or NAME_NUM.html for sources; with --watch, none)\n"
    "  --watch               serve the page and rebuild it as the files change\n"
    "  --port N              the port to serve on (default 8765; 0: any free one)\n"
    "  --line-name NAME      the line name of the sources (as for compile)\n"
    "  --train-number NUM    the train number (of the sources, or of DIR's scenario)\n"
    "\n"
    "Exit status: 0 written (or served until Ctrl-C); 1 written, and a compile or\n"
    "finishing code was set; 2 the files cannot be read or compiled; 64 usage\n"
    "error.\n",
    view_command,
};

namespace {

constexpr uint16_t kDefaultPort = 8765;

// What one build of the page gives: its data and whether a code was set.
struct PageBuild {
  nlohmann::json data;
  bool codes = false;
};

PageBuild build_from_folder(const fs::path& sim_file) {
  const ScenarioView view = read_compiled_view(sim_file);
  nlohmann::json data = page_data(view, nullptr, {});
  data["build"] = whole_build_extent();
  data["run"] = run_page_data(view);
  return {data, false};
}

// Whether the last line of a source file holds a section header.
bool ends_with_header(const std::string& text) {
  std::size_t end = text.find_last_not_of(" \t\r\n");
  if (end == std::string::npos) return false;
  const std::size_t start = text.find_last_of("\r\n", end);
  const std::size_t first = text.find_first_not_of(" \t", start == std::string::npos ? 0 : start + 1);
  return first != std::string::npos && text[first] == '[' && text[end] == ']';
}

struct SourceFiles {
  std::string line;
  std::string train;
  FileNames names;
};

PageBuild build_from_sources(const SourceFiles& files, std::ostream& messages) {
  // The files are read again for each build: --watch builds after every edit.
  const AuthorSources sources{files.line, files.train, files.names, read_source_file(files.line),
                              read_source_file(files.train)};
  TrackModel model;
  model.nome_linea = files.names.nome_linea;
  model.numero_treno = files.names.numero_treno;
  MemoryFolder folder;
  folder.put(files.names.line_source(), sources.line);
  folder.put(files.names.train_source(), sources.train);

  SourceLinks links;
  CompileReport report;
  int32_t j = 1;
  compile_and_finish(model, folder, report, j, &links);
  const CheckResult checked = check_scenario({files.names, sources.line, sources.train});
  const DiagnosticPrinter printer(sources);
  for (const Diagnostic& d : checked.diagnostics) messages << printer.text(d);
  const SourcePaths paths = sources.paths();
  const PageSources page_sources{links, paths};
  const ScenarioView view = view_of(model);
  nlohmann::json data = page_data(view, &page_sources, page_diagnostics(checked, paths));
  data["build"] = build_extent(report, links, checked, paths);
  // A file whose last line is no section header has lost its end (a save
  // still being written, say): its last field is never read, and whatever
  // stood after the cut is missing without a code to tell it.
  bool cut = false;
  for (const auto& [path, text] : {std::pair{sources.line_path, &sources.line}, {sources.train_path, &sources.train}}) {
    if (ends_with_header(*text)) continue;
    cut = true;
    data["build"]["complete"] = false;
    data["diagnostics"].push_back({{"file", path},
                                   {"line", 0},
                                   {"column", 0},
                                   {"severity", "error"},
                                   {"code", "unfinished"},
                                   {"message",
                                    "the file ends without its closing section header (\"[fine]\"): it "
                                    "looks cut short, and its last field is never read"},
                                   {"hint", "save the whole file, ending with a line \"[fine]\""}});
  }
  const bool codes = cut || checked.count(Severity::error) > 0;
  // A scenario with compile errors has no whole line to run over.
  data["run"] = codes ? nlohmann::json(nullptr) : run_page_data(view);
  return {data, codes};
}

uint16_t port_of(const Arguments& arguments) {
  const std::optional<std::string> given = arguments.value("--port");
  if (!given) return kDefaultPort;
  std::size_t used = 0;
  int port = -1;
  try {
    port = std::stoi(*given, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != given->size() || port < 0 || port > 65535) throw UsageError("--port takes a number from 0 to 65535");
  return static_cast<uint16_t>(port);
}

}  // namespace

int view_command(const std::vector<std::string>& args) {
  const Arguments arguments(args, {"--watch"}, {"-o", "--port", "--line-name", "--train-number"});
  arguments.expect_operands(1, 2);
  const bool watch = arguments.has("--watch");
  if (!watch && arguments.value("--port")) throw UsageError("--port serves with --watch only");
  const uint16_t port = port_of(arguments);

  std::function<PageBuild()> build;
  std::vector<fs::path> watched;
  fs::path out;
  if (arguments.operands().size() == 1) {
    if (arguments.value("--line-name")) throw UsageError("--line-name names the line of source files, not of DIR");
    const fs::path sim_file =
        find_scenario_file(path_from_utf8(arguments.operands()[0]), arguments.value("--train-number"));
    out = fs::path(sim_file).replace_extension(".html");
    build = [sim_file]() { return build_from_folder(sim_file); };
    fs::path route = sim_file;
    watched = {sim_file, route.replace_extension(FileNames::kRoute)};
  } else {
    SourceFiles files{arguments.operands()[0], arguments.operands()[1], {}};
    files.names.nome_linea = line_name_of(arguments, files.line);
    check_name(files.names.nome_linea, "the line name");
    files.names.numero_treno = train_number_of(arguments, files.train, files.names.nome_linea);
    check_name(files.names.numero_treno, "the train number");
    out = path_from_utf8(files.names.nome_linea + "_" + files.names.numero_treno + ".html");
    build = [files]() { return build_from_sources(files, std::cerr); };
    watched = {path_from_utf8(files.line), path_from_utf8(files.train)};
  }
  const std::optional<std::string> given = arguments.value("-o");
  if (given) out = path_from_utf8(*given);

  if (watch) {
    return serve_and_watch(
        port, watched, [&build]() { return build().data; },
        [&given, &out](const nlohmann::json& data) {
          if (given) replace_file(out, viewer_page(data));
        },
        std::cout);
  }
  const PageBuild page = build();
  replace_file(out, viewer_page(page.data));
  std::cout << "wrote " << utf8_of_path(out) << "\n";
  return page.codes ? kExitCodeSet : kExitClean;
}

}  // namespace scenario::tool
