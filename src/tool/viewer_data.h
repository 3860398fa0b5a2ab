#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tool/author_sources.h"
#include "tool/page_diagnostics.h"
#include "tool/source_links.h"
#include "view/scenario_view.h"

namespace scenario::tool {

// Where a scenario's objects came from, when it was compiled from sources.
struct PageSources {
  const SourceLinks& links;
  const SourcePaths& paths;
};

// Everything the viewer page draws, as one JSON value: the plan at a few
// levels of detail, the kilometre sections and posts, every object with its
// source line, the profiles as steps, the value axes, the scale from which
// each label is drawn, and the diagnostics. The page only transforms and
// draws what it is given; the layout is decided here, with the plot's rules.
nlohmann::json page_data(const ScenarioView& view, const PageSources* sources,
                         const std::vector<PageDiagnostic>& diagnostics);

// The viewer page: one HTML file with its style, script and `data` inline.
std::string viewer_page(const nlohmann::json& data);

// `data` as JSON text that can stand inside an HTML script element.
std::string script_safe_json(const nlohmann::json& data);

}  // namespace scenario::tool
