// Choosing menu items the way a person does: a click on the menu bar item,
// then on each item down the path.
#pragma once
#include <windows.h>
#include <string>

namespace menu {

// Chooses the item that path names in a window's menus: "File/Quit" or
// "ファイル/終了", one level a slash, each level named as text::names allows.
bool choose(HWND window, const std::string &path, double seconds, std::string *error);

} // namespace menu
