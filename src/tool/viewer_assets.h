#pragma once

#include <string_view>

namespace scenario::tool {

// The viewer page's files (src/tool/viewer/), built into the tool.
extern const std::string_view kViewerHtml;
extern const std::string_view kViewerCss;
extern const std::string_view kViewerJs;

}  // namespace scenario::tool
