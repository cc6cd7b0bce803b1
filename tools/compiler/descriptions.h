// The readable descriptions of a program encoded as the runtime reads them:
// window descriptions, the menu bar and the project settings.
#pragma once
#include "check.h"
#include "classdir.h"

namespace basc {

// The stream of a window description (without its length word).
img::Bytes window_description(const ClassDecl &window, Checked &checked);
// A control's (name, value) pairs as its record lists them.
std::vector<std::pair<std::string, std::string>> control_pairs(const ControlDecl &d);

// The menu bar stream (without its kind and length words).
img::Bytes menu_bar(const std::vector<MenuEntry> &entries, Checked &checked);

img::ProjectSettingsDef project_settings(const ProjectDecl &project);

std::string literal_text(const Node &literal);

} // namespace basc
