// The viewer's one page, its style sheet and its script, built into the
// program so the viewer needs no files and fetches nothing from elsewhere.
#pragma once

#include <string_view>

namespace gb::view {

extern const std::string_view kPageHtml;
extern const std::string_view kPageCss;
extern const std::string_view kPageScript;

}  // namespace gb::view
