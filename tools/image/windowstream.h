// The streams of window descriptions and of the menu bar, as the runtime
// reads them: packed integers and packed strings in the layout declared here.
// The compiler writes them from its sources; tests write them directly.
#pragma once
#include "bytes.h"
#include <string>
#include <utility>
#include <vector>

namespace img {

// (name, value) pairs: property names and their values as text.
using Pairs = std::vector<std::pair<std::string, std::string>>;

// A window description: the pair count and the window's class index, its
// pairs, the control count, per control its class index, pair count and
// pairs, and a count of data bindings (always 0).
struct ControlDescription {
  int32_t classIndex = 0;
  Pairs pairs; // Name, Index and TabPanelIndex first, as the compiler writes them
};
struct WindowDescription {
  int32_t classIndex = 0;
  Pairs window;
  std::vector<ControlDescription> controls;
};
Bytes encode_window_description(const WindowDescription &d); // without its length word

// A menu bar: the entry count, then each entry's record and its item list;
// an item list is its count and each item's record, followed by the item's
// own list only when the item opens a submenu. A record: kind, text, name,
// index, command key, balloon help, an empty string, a zero byte, the
// opens-a-submenu byte, the class index.
struct MenuRecord {
  int32_t kind = 0;
  std::string text, name;
  int32_t index = 0;
  std::string commandKey, balloonHelp;
  bool opensSubmenu = false;
  int32_t classIndex = 0;
  std::vector<MenuRecord> items;
};
Bytes encode_menu_bar(const std::vector<MenuRecord> &entries); // without kind and length words

} // namespace img
