// What the viewer and the plot are built from: the line's kilometres, curves
// and profiles, the label layout, the source links of the objects, the
// diagnostics of a build and the answers of the watch server.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "base/source_folder.h"
#include "checker/checker.h"
#include "output/memorizza_percorso.h"
#include "sources/text_writers.h"
#include "tool/build_extent.h"
#include "tool/label_layout.h"
#include "tool/page_diagnostics.h"
#include "tool/source_links.h"
#include "tool/view_server.h"
#include "tool/viewer_data.h"
#include "view/line_profiles.h"
#include "view/scenario_view.h"

namespace scenario {
namespace {

using tool::LabelBox;
using tool::PageDiagnostic;
using tool::SourceLinks;

// The built-in scenario (or an edit of its sources) compiled from memory and
// watched.
struct Built {
  explicit Built(const std::function<void(std::string& line, std::string& train)>& edit = {}) {
    model.nome_linea = "Corvalle_Brinta";
    model.numero_treno = "24817";
    const FileNames names{model.nome_linea, model.numero_treno};
    line = line_source_table().bytes();
    train = train_source_table().bytes();
    if (edit) edit(line, train);
    paths = {"work/line.txt", "work/train.txt", names.line_source(), names.train_source()};
    MemoryFolder folder;
    folder.put(paths.line_name, line);
    folder.put(paths.train_name, train);
    int32_t j = 1;
    finish = compile_and_finish(model, folder, report, j, &links);
    view = view_of(model);
  }

  // Line `n` (from 1) of the source file the compiler names `file`.
  std::string source_line(const std::string& file, int32_t n) const {
    std::istringstream in(file == paths.train_name ? train : line);
    std::string text;
    for (int32_t i = 0; i < n && std::getline(in, text);) ++i;
    return text;
  }

  // What the checker finds, as the page shows it.
  std::vector<PageDiagnostic> diagnostics() const {
    const CheckResult checked = check_scenario({{model.nome_linea, model.numero_treno}, line, train});
    return tool::page_diagnostics(checked, paths);
  }
  std::vector<PageDiagnostic> errors() const {
    std::vector<PageDiagnostic> found;
    for (const PageDiagnostic& d : diagnostics()) {
      if (d.severity == "error") found.push_back(d);
    }
    return found;
  }

  TrackModel model;
  CompileReport report;
  SourceLinks links;
  tool::SourcePaths paths;
  Finish finish = Finish::compiled;
  std::string line, train;
  ScenarioView view;
};

const Built& built_in() {
  static const Built built;
  return built;
}

void replace(std::string& text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
}

TEST(LineProfiles, KilometresFollowTheReferencesAndWithoutThemTheProgressive) {
  const std::vector<KilometreSection> sections = kilometre_sections(built_in().view);
  // "uno" (0, 90000, 1) counts down from 90+000 (stored 90100); "due"
  // (1500, -1500, 0) counts up from 0+000: kilometre = progressive - 1500.
  const std::pair<int32_t, const char*> cases[] = {{0, "90+000"},   {1499, "88+501"}, {1500, "0+000"},
                                                   {2999, "1+499"}, {8050, "6+550"},  {103000, "101+500"}};
  for (const auto& [progressive, text] : cases) {
    EXPECT_EQ(kilometre_text(kilometre_at(sections, progressive)), text) << progressive;
  }
  const std::vector<KilometrePost> posts = kilometre_posts(sections, built_in().view.length);
  ASSERT_GE(posts.size(), 4u);
  EXPECT_EQ(posts[0].progressive, 0);
  EXPECT_EQ(posts[0].kilometre, 90000);
  EXPECT_EQ(posts[1].progressive, 1000);
  EXPECT_EQ(posts[2].progressive, 1500);
  EXPECT_EQ(posts[2].kilometre, 0);
  EXPECT_EQ(posts.back().kilometre, 101000);

  ScenarioView bare = built_in().view;
  bare.references = {};
  const std::vector<KilometreSection> none = kilometre_sections(bare);
  EXPECT_EQ(kilometre_at(none, 12345), 12345);
  EXPECT_EQ(kilometre_posts(none, 2500).size(), 3u);  // at 0, 1000 and 2000
}

// The built-in line's level-crossing signs name the kilometre of their
// crossing, which lies a little further on.
TEST(LineProfiles, TheBuiltInKilometreSignsAgreeWithTheReferences) {
  std::vector<PlacedSign> signs;
  for (const SignView& s : built_in().view.signs) signs.push_back({s.progressive, s.text});
  const KilometreAgreement a = kilometre_agreement(kilometre_sections(built_in().view), signs);
  EXPECT_TRUE(a.agrees) << a.why;
  EXPECT_EQ(a.signs, 42);
  EXPECT_EQ(a.least_ahead, 102);
  EXPECT_EQ(a.most_ahead, 141);

  // References a kilometre off: the first sign tells.
  std::array<KilometreReference, 3> off = built_in().view.references;
  for (KilometreReference& r : off) {
    if (r.start == 1500) r.kilometre -= 1000;
  }
  const KilometreAgreement wrong = kilometre_agreement(kilometre_sections(off, built_in().view.length), signs);
  EXPECT_FALSE(wrong.agrees);
  EXPECT_EQ(wrong.progressive, 2900);
  EXPECT_NE(wrong.why.find("km 1+522"), std::string::npos) << wrong.why;
}

TEST(LineProfiles, KilometreSignTexts) {
  const std::pair<const char*, std::optional<int64_t>> cases[] = {{"(PL km)(1+522)", 1522},
                                                                  {"(PL km )(13+915)", 13915},
                                                                  {"(PLA km)(36+409)", 36409},
                                                                  {"(ponte fiume)(Lavendola)", {}},
                                                                  {"(PL km)(1+52)", {}},
                                                                  {"(PL km)(x+522)", {}},
                                                                  {"(PL km)", {}},
                                                                  {"", {}}};
  for (const auto& [text, km] : cases) EXPECT_EQ(kilometre_in_sign(text), km) << text;
}

TEST(LineProfiles, TheCurvesOfThePlanAreTheCurveRecords) {
  const Built& b = built_in();
  std::vector<CurveView> recorded;
  for (const tool::RecordRead& r : b.links.records()) {
    if (r.kind != Record::curva) continue;
    const std::string keyword = b.source_line(r.place.file, r.place.line);
    const int klass = keyword[6] - '0';
    recorded.push_back({r.numbers[0], r.numbers[1], klass, keyword[5] == 's'});
  }
  const std::vector<CurveView> found = curves_of(*b.view.plan);
  ASSERT_EQ(found.size(), 40u);
  ASSERT_EQ(found.size(), recorded.size());
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i].start, recorded[i].start) << i;
    EXPECT_EQ(found[i].length, recorded[i].length) << i;
    EXPECT_EQ(found[i].klass, recorded[i].klass) << i;
    EXPECT_EQ(found[i].left, recorded[i].left) << i;
  }
}

TEST(LineProfiles, TheLimitIsTheProfileLoweredInsideSlowdownsAndTheHeightClimbsTheGradients) {
  const ScenarioView& v = built_in().view;
  const std::vector<int32_t> limit = effective_speed(v);
  ASSERT_EQ(limit.size(), profile_cells(v));
  // The slowdown at 10200 runs 400 m at 50 km/h: cells 204 to 211.
  for (const int32_t c : {203, 204, 211, 212}) {
    EXPECT_EQ(limit[c], c >= 204 && c <= 211 ? 50 : v.speed[c]) << c;
  }
  EXPECT_EQ(v.speed[204], 135);
  const std::vector<double> height = heights(v);
  ASSERT_EQ(height.size(), profile_cells(v) + 1);
  double sum = 0;
  for (std::size_t c = 0; c < profile_cells(v); ++c) sum += v.gradient[c] * 0.05;
  EXPECT_NEAR(height.back(), sum, 1e-9);
  EXPECT_NEAR(height[60] - height[30], 30 * 50 * -5 / 1000.0, 1e-9);  // -5 per mille from 1500 to 3000
}

// Whether two labels overlap on screen at `scale`.
bool overlap(const LabelBox& a, const LabelBox& b, double scale) {
  const double ax = a.x * scale + a.dx, ay = -a.y * scale + a.dy, bx = b.x * scale + b.dx, by = -b.y * scale + b.dy;
  return std::fabs(ax - bx) < (a.width + b.width) / 2 && std::fabs(ay - by) < (a.height + b.height) / 2;
}

TEST(LabelLayout, DrawnLabelsNeverOverlapEachOtherOrAnObstacleAtAnyScale) {
  std::mt19937 random(17);
  std::uniform_real_distribution<double> place(0, 5000), size(10, 90), offset(-20, 20);
  std::vector<LabelBox> labels;
  for (int i = 0; i < 400; ++i) {
    labels.push_back({place(random), place(random) / 4, size(random), size(random) / 5, offset(random), offset(random),
                      static_cast<int>(i % 5), i % 7 == 0, 0});
  }
  const double least = 0.01, most = 5;
  const std::vector<std::optional<double>> from = tool::shown_from(labels, least, most);
  int shown_at_least = 0;
  for (double scale = least; scale <= most; scale *= 1.37) {
    std::vector<std::size_t> drawn;
    for (std::size_t i = 0; i < labels.size(); ++i) {
      if (from[i] && *from[i] <= scale) drawn.push_back(i);
    }
    if (scale == least) shown_at_least = static_cast<int>(drawn.size());
    for (std::size_t i = 0; i < drawn.size(); ++i) {
      for (std::size_t j = i + 1; j < drawn.size(); ++j) {
        const LabelBox &a = labels[drawn[i]], &b = labels[drawn[j]];
        if (a.obstacle && b.obstacle) continue;
        EXPECT_FALSE(overlap(a, b, scale)) << "labels " << drawn[i] << " and " << drawn[j] << " at " << scale;
      }
    }
  }
  EXPECT_GT(shown_at_least, 57);  // the obstacles and some labels
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (labels[i].obstacle) {
      EXPECT_EQ(from[i], 0.0);
    }
  }
}

TEST(LabelLayout, ALabelWaitsUntilTheOneBeforeItLetsItStandClear) {
  // Two 50 px labels 100 m apart, centred on their anchors: the second stands
  // clear once 100 m are (50 + 4) px.
  const LabelBox first{0, 0, 50, 10, 0, 0, 0, false, 0}, second{100, 0, 50, 10, 0, 0, 1, false, 0};
  const std::vector<LabelBox> labels{second, first};
  const auto from = tool::shown_from(labels, 0.1, 10);
  ASSERT_TRUE(from[0] && from[1]);
  EXPECT_DOUBLE_EQ(*from[1], 0.1);
  EXPECT_NEAR(*from[0], 0.54, 1e-12);
  // On the same anchor, never; past the most scale, never.
  EXPECT_FALSE(tool::shown_from(std::vector<LabelBox>{first, {0, 0, 50, 10, 0, 0, 1, false, 0}}, 0.1, 10)[1]);
  EXPECT_FALSE(tool::shown_from(labels, 0.1, 0.5)[0]);
}

TEST(SourceLinks, EveryObjectComesFromARecordOfItsKindThatPlacesIt) {
  const Built& b = built_in();
  const ScenarioView& v = b.view;
  struct Case {
    const char* keyword;
    Record kind;
    std::vector<int32_t> keys;
  };
  std::vector<Case> cases = {{"segnale,", Record::segnale, {}},
                             {"indicatori_vmax,", Record::indicatori_vmax, {}},
                             {"cartello_indicatore,", Record::cartello_indicatore, {}},
                             {"rallentamento,", Record::rallentamento, {}},
                             {"montagna,", Record::montagna, {}},
                             {"stazione,", Record::stazione, {}}};
  for (const SignalView& s : v.signals) cases[0].keys.push_back(s.cell);
  for (const BoardView& s : v.boards) cases[1].keys.push_back(s.cell);
  for (const SignView& s : v.signs) cases[2].keys.push_back(s.cell);
  for (const SlowdownView& s : v.slowdowns) cases[3].keys.push_back(s.start_cell);
  for (const MountainView& s : v.mountains) cases[4].keys.push_back(s.first_cell);
  for (const StationView& s : v.stations) cases[5].keys.push_back(s.entry);
  for (const Case& c : cases) {
    EXPECT_FALSE(c.keys.empty()) << c.keyword;
    for (const int32_t key : c.keys) {
      const std::optional<SourcePlace> line = b.links.of(c.kind, key);
      ASSERT_TRUE(line) << c.keyword << " " << key;
      EXPECT_EQ(b.source_line(line->file, line->line).rfind(c.keyword, 0), 0u) << line->line;
    }
  }
  // A station's record is its entry's: the names agree.
  const StationView& last = v.stations.back();
  const std::optional<SourcePlace> station = b.links.of(Record::stazione, last.entry);
  EXPECT_NE(b.source_line(station->file, station->line).find(last.fields.testo), std::string::npos);
  // Kilometre references are found by their values, the +100 of direction 1 taken off.
  for (const KilometreReference& r : v.references) {
    if (r.start == 0 && r.kilometre == 0) continue;
    const std::optional<SourcePlace> reference = b.links.of_reference(r);
    ASSERT_TRUE(reference);
    EXPECT_EQ(b.source_line(reference->file, reference->line).rfind("progressiva chilometrica", 0), 0u);
  }
}

TEST(PageDiagnostics, ABuildsCodesStandAtTheRecordThatSetThemAndNameWhatIsInTheWay) {
  EXPECT_TRUE(built_in().errors().empty());
  for (const PageDiagnostic& d : built_in().diagnostics()) EXPECT_EQ(d.severity, "note") << d.message;

  const Built twice([](std::string&, std::string& train) {
    replace(
        train, "segnale,    7900,   2, 4, 0,  0, 0,    0,  0,0,0, 210",
        "segnale,    7900,   2, 4, 0,  0, 0,    0,  0,0,0, 210\r\nsegnale,    7910,   2, 4, 0,  0, 0,    0,  0,0,0, 0");
  });
  std::vector<PageDiagnostic> d = twice.errors();
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].file, "work/train.txt");
  EXPECT_EQ(d[0].severity, "error");
  EXPECT_EQ(d[0].code, "16");
  EXPECT_EQ(twice.source_line(twice.paths.train_name, d[0].line).rfind("segnale,    7910", 0), 0u);
  EXPECT_NE(d[0].message.find("cell 159 (progressive 7900) already holds a signal (work/train.txt:" +
                              std::to_string(d[0].line - 1) + ")"),
            std::string::npos)
      << d[0].message;

  // A sign in cell 1 takes the fixed value's slot: nothing could be written.
  const Built first_cell(
      [](std::string& line, std::string&) { replace(line, "cartello_indicatore,  350,", "cartello_indicatore,  0,"); });
  EXPECT_EQ(first_cell.finish, Finish::errore_1250);
  d = first_cell.errors();
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].code, "1250");
  EXPECT_EQ(d[0].file, "work/line.txt");
  EXPECT_EQ(first_cell.source_line(first_cell.paths.line_name, d[0].line).rfind("cartello_indicatore,  0,", 0), 0u);
}

TEST(ViewerPage, OneSelfContainedPageWhoseDataCannotCloseItsScript) {
  const Built& b = built_in();
  const tool::PageSources sources{b.links, b.paths};
  nlohmann::json data = tool::page_data(b.view, &sources, b.diagnostics());
  data["line"] = "</script><script>alert(1)</script>";
  const std::string page = tool::viewer_page(data);
  EXPECT_EQ(page.find("</script><script>alert"), std::string::npos);
  EXPECT_NE(page.find("\\u003c/script>\\u003cscript>alert"), std::string::npos);
  EXPECT_EQ(page.find("@data@"), std::string::npos);
  EXPECT_EQ(page.find("/*@viewer.js@*/"), std::string::npos);
  for (const char* outside :
       {"src=\"http", "href=\"http", "src='http", "@import", "url(http", "<link rel=\"stylesheet"}) {
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
  }
  EXPECT_EQ(data["stations"].size(), 13u);
  EXPECT_EQ(data["signals"].size(), 29u);
  EXPECT_EQ(data["files"], nlohmann::json::array({"work/line.txt", "work/train.txt"}));
}

TEST(WatchServer, AnswersOnlyGetsForItsOwnLoopbackAddress) {
  const nlohmann::json data = {{"line", "L"}, {"train", "1"}, {"version", 7}};
  struct Case {
    const char* head;
    int status;
    const char* body_starts;
  };
  const Case cases[] = {
      {"GET /version HTTP/1.1\r\nHost: 127.0.0.1:8765\r\n\r\n", 200, "7\n"},
      {"GET /version?t=1 HTTP/1.1\r\nhost: LOCALHOST:8765\r\n\r\n", 200, "7\n"},
      {"GET /data HTTP/1.1\r\nHost: 127.0.0.1:8765\r\n\r\n", 200, "{\"line\":\"L\""},
      {"GET / HTTP/1.1\r\nHost: 127.0.0.1:8765\r\n\r\n", 200, "<!DOCTYPE html>"},
      {"GET /version HTTP/1.1\r\nHost: attacker.example:8765\r\n\r\n", 403, ""},
      {"GET /version HTTP/1.1\r\nHost: 127.0.0.1:9999\r\n\r\n", 403, ""},
      {"GET /version HTTP/1.1\r\n\r\n", 403, ""},
      {"POST /version HTTP/1.1\r\nHost: 127.0.0.1:8765\r\n\r\n", 405, ""},
      {"GET /../../etc/passwd HTTP/1.1\r\nHost: 127.0.0.1:8765\r\n\r\n", 404, ""},
      {"garbage", 400, ""},
  };
  for (const Case& c : cases) {
    const tool::HttpResponse r = tool::answer(c.head, data, 8765);
    EXPECT_EQ(r.status, c.status) << c.head;
    EXPECT_EQ(r.body.rfind(c.body_starts, 0), 0u) << c.head;
  }
  const std::string bytes = tool::response_bytes({200, "text/plain", "7\n"});
  EXPECT_EQ(bytes.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
  EXPECT_NE(bytes.find("Content-Length: 2\r\n"), std::string::npos);
  EXPECT_TRUE(bytes.ends_with("\r\n\r\n7\n"));
  // No other site may frame it, and it runs nothing but its own inline script.
  EXPECT_NE(bytes.find("frame-ancestors 'none'"), std::string::npos);
  EXPECT_NE(bytes.find("X-Frame-Options: DENY\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("Content-Security-Policy: default-src 'none';"), std::string::npos);
  EXPECT_NE(tool::viewer_page(data).find("http-equiv=\"Content-Security-Policy\""), std::string::npos);
}

// A save that does not compile leaves the last good build on the page, with
// the new build's errors over it.
TEST(WatchServer, ABuildThatDoesNotCompileKeepsTheLastGoodOneWithItsErrors) {
  const nlohmann::json good = {
      {"stations", {"A", "B"}}, {"diagnostics", nlohmann::json::array()}, {"build", {{"complete", true}}}};
  const nlohmann::json failed = {
      {"stations", nlohmann::json::array()},
      {"diagnostics", {{{"severity", "error"}, {"code", "8"}}, {{"severity", "note"}, {"code", "301"}}}},
      {"build", {{"complete", false}}}};
  const nlohmann::json shown = tool::kept_build(good, failed, 3, 5);
  EXPECT_EQ(shown["stations"], good["stations"]);
  EXPECT_EQ(shown["diagnostics"], failed["diagnostics"]);
  EXPECT_EQ(shown["stale"], (nlohmann::json{{"shown", 3}, {"version", 5}, {"errors", 1}}));
}

// One station off the 50 m grid stops the compile there: the page learns
// what it compiled against what the sources hold, and where each profile
// stops being carried.
TEST(BuildExtent, APartialBuildSaysWhereItStoppedAndWhatItNeverReached) {
  const Built& whole = built_in();
  const CheckResult whole_check =
      check_scenario({{whole.model.nome_linea, whole.model.numero_treno}, whole.line, whole.train});
  const nlohmann::json complete = tool::build_extent(whole.report, whole.links, whole_check, whole.paths);
  EXPECT_TRUE(complete["complete"]);
  EXPECT_TRUE(complete["stop"].is_null());
  for (const nlohmann::json& c : complete["counts"]) EXPECT_EQ(c["compiled"], c["sources"]) << c;

  const Built off([](std::string&, std::string& train) { replace(train, "stazione,   30550,", "stazione,   30555,"); });
  const CheckResult checked = check_scenario({{off.model.nome_linea, off.model.numero_treno}, off.line, off.train});
  const nlohmann::json extent = tool::build_extent(off.report, off.links, checked, off.paths);
  EXPECT_FALSE(extent["complete"]);
  EXPECT_EQ(extent["stop"]["code"], "8");
  EXPECT_EQ(extent["stop"]["file"], "work/train.txt");
  EXPECT_EQ(off.source_line(off.paths.train_name, extent["stop"]["line"]).rfind("stazione,   30555", 0), 0u);
  const auto count = [&extent](const char* key) {
    for (const nlohmann::json& c : extent["counts"]) {
      if (c["key"] == key) return std::pair<int, int>{c["compiled"], c["sources"]};
    }
    return std::pair<int, int>{-1, -1};
  };
  EXPECT_EQ(count("stations"), (std::pair<int, int>{5, 12}));
  EXPECT_EQ(count("signals"), (std::pair<int, int>{0, 29}));  // after the stations in the file
  // The line file was read whole; the train file's profiles stop at their
  // last change read.
  EXPECT_TRUE(extent["reached"]["gradient"].is_null());
  EXPECT_TRUE(extent["reached"]["curvature"].is_null());
  EXPECT_TRUE(extent["reached"]["speed"].is_number());
  EXPECT_TRUE(extent["reached"]["adhesion"].is_number());
  EXPECT_EQ(extent["failedStation"], 6);
}

}  // namespace
}  // namespace scenario
