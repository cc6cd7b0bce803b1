// The window descriptions, menu bar and settings of a program, from its
// sources: the window's properties (the usual twenty-one, with the source's
// values in place of the defaults, then any others), then one record per
// control (Name, Index and TabPanelIndex first, then its properties); the
// image toolkit writes the streams.
#include "descriptions.h"
#include "names.h"
#include "windowstream.h"
#include <algorithm>

namespace basc {

std::string literal_text(const Node &v) {
  switch (v.kind) {
  case NK::IntLit:
  case NK::ColorLit:
    return std::to_string(v.ival);
  case NK::BoolLit:
    return v.ival ? "True" : "False";
  case NK::StrLit:
    return v.text;
  case NK::RealLit: {
    char buf[40];
    snprintf(buf, sizeof buf, "%.17g", v.fval);
    return buf;
  }
  default:
    return "";
  }
}

static const std::pair<const char *, const char *> kWindowDefaults[] = {
    {"Name", ""},
    {"Frame", "0"},
    {"HasBackColor", "False"},
    {"BackColor", "16777215"},
    {"Backdrop", "0"},
    {"Title", ""},
    {"Visible", "True"},
    {"FullScreen", "False"},
    {"MenuBarVisible", "True"},
    {"CloseBox", "True"},
    {"GrowIcon", "False"},
    {"ZoomIcon", "False"},
    {"BalloonHelp", ""},
    {"MacProcID", "0"},
    {"Placement", "0"},
    {"Width", "300"},
    {"Height", "300"},
    {"MinWidth", "64"},
    {"MinHeight", "64"},
    {"MaxWidth", "32000"},
    {"MaxHeight", "32000"},
};

// What a new control starts with, in the order its record lists them: the
// position and state every control has, then its kind's own.
using Defaults = std::vector<std::pair<const char *, const char *>>;
static const Defaults kRectDefaults = {
    {"Left", "0"},
    {"Top", "0"},
    {"Width", "80"},
    {"Height", "22"},
    {"Visible", "True"},
    {"HelpTag", ""},
    {"BalloonHelp", ""},
    {"DisabledBalloonHelp", ""},
    {"AutoDeactivate", "True"},
    {"LockLeft", "False"},
    {"LockTop", "False"},
    {"LockRight", "False"},
    {"LockBottom", "False"},
    {"Enabled", "True"},
};
// Objects placed on a window without a pane, position or text: a timer runs
// from the start, once a second; a serial port opens at 9600 baud with 8
// data bits, no parity and one stop bit on COM1; a socket has no address.
struct PlacedDefaults {
  const char *kind;
  Defaults values;
};
static const PlacedDefaults kPlacedDefaults[] = {
    {"Timer", {{"Mode", "2"}, {"Period", "1000"}}},
    {"Serial", {{"Baud", "8"}, {"Bits", "3"}, {"Parity", "0"}, {"Stop", "0"}, {"Port", "0"}}},
    {"Socket", {{"Address", ""}, {"Port", "0"}}},
};
static const Defaults kTextDefaults = {
    {"TextFont", "System"}, {"TextSize", "12"},     {"Bold", "False"},
    {"Italic", "False"},    {"Underline", "False"},
};
// Kinds that show text take the font quartet after their own defaults.
struct KindDefaults {
  const char *kind;
  Defaults values;
  bool showsText = true;
};
static const Defaults kScrollerDefaults = {{"Minimum", "0"},   {"Maximum", "100"},
                                           {"Value", "0"},     {"LineStep", "1"},
                                           {"PageStep", "20"}, {"LiveScroll", "False"}};
static const KindDefaults kKindDefaults[] = {
    {"StaticText",
     {{"Text", ""},
      {"TextAlign", "0"},
      {"TextColor", "0"},
      {"MultiLine", "False"},
      {"DataSource", ""},
      {"DataField", ""}}},
    {"EditField",
     {{"Text", ""},
      {"Border", "True"},
      {"MultiLine", "False"},
      {"ScrollBarHorizontal", "False"},
      {"ScrollBar", "True"},
      {"ScrollBarVertical", "True"},
      {"Styled", "True"},
      {"Password", "False"},
      {"UseFocusRing", "True"},
      {"ReadOnly", "False"},
      {"LimitText", "0"},
      {"AcceptTabs", "False"},
      {"Alignment", "3"},
      {"TextColor", "0"},
      {"BackColor", "16777215"},
      {"DataSource", ""},
      {"DataField", ""}}},
    {"PushButton", {{"Caption", ""}, {"Default", "False"}, {"Cancel", "False"}}},
    {"CheckBox", {{"Caption", ""}, {"Value", "False"}}},
    {"RadioButton", {{"Caption", ""}, {"Value", "False"}}},
    {"GroupBox", {{"Caption", ""}}},
    {"TabPanel", {{"TabDefinition", ""}, {"Facing", "0"}, {"SmallTabs", "False"}}},
    {"PopupMenu", {{"InitialValue", ""}, {"DataSource", ""}, {"DataField", ""}}},
    {"DataControl",
     {{"Caption", ""},
      {"TableName", ""},
      {"SQLQuery", ""},
      {"ControlBind", ""},
      {"ReadOnly", "False"},
      {"TextAlign", "1"},
      {"TextColor", "0"}}},
    {"ScrollBar", kScrollerDefaults, false},
    {"Slider", kScrollerDefaults, false},
    {"ProgressBar", {{"Maximum", "100"}, {"Value", "0"}}, false},
    {"Line",
     {{"X1", "0"},
      {"Y1", "0"},
      {"X2", "100"},
      {"Y2", "0"},
      {"BorderWidth", "1"},
      {"BorderColor", "0"}},
     false},
    {"Canvas",
     {{"AcceptFocus", "False"}, {"AcceptTabs", "False"}, {"UseFocusRing", "True"}},
     false},
    {"Listbox",
     {{"ColumnCount", "1"},
      {"ColumnWidths", ""},
      {"HasHeading", "False"},
      {"Hierarchical", "False"},
      {"SelectionType", "0"},
      {"InitialValue", ""},
      {"ScrollBarVertical", "True"},
      {"ScrollBarHorizontal", "False"},
      {"GridLinesHorizontal", "False"},
      {"GridLinesVertical", "False"},
      {"UseFocusRing", "True"},
      {"DefaultRowHeight", "0"},
      {"EnableDrag", "False"}}},
};

// What a kind's own record adds to a control's: its size where it differs
// from the usual 80 by 22.
static const std::pair<const char *, Defaults> kKindSizes[] = {
    {"PopupMenu", {{"Width", "120"}, {"Height", "20"}}},
    {"ScrollBar", {{"Width", "120"}, {"Height", "16"}}},
    {"Slider", {{"Width", "120"}, {"Height", "24"}}},
    {"ProgressBar", {{"Width", "120"}, {"Height", "16"}}},
    {"Canvas", {{"Width", "100"}, {"Height", "100"}}},
    {"Listbox", {{"Width", "100"}, {"Height", "100"}}},
    {"DataControl", {{"Width", "200"}, {"Height", "24"}}},
};

// Name, Index and TabPanelIndex, the defaults of the control's kind with
// the source's values in their places, then the source's other values.
std::vector<std::pair<std::string, std::string>> control_pairs(const ControlDecl &d) {
  std::vector<std::pair<std::string, std::string>> pairs = {
      {"Name", d.name}, {"Index", std::to_string(d.index)}, {"TabPanelIndex", "0"}};
  const ClassInfo *kind = d.cls;
  while (kind && !kind->builtin && !kind->external) kind = kind->super;
  auto add = [&](const Defaults &list) {
    for (auto &[name, value] : list) pairs.push_back({name, value});
  };
  bool builtin = kind && kind->builtin;
  const PlacedDefaults *placed = nullptr;
  for (const PlacedDefaults &p : kPlacedDefaults)
    if (builtin && iequal(kind->name, p.kind)) placed = &p;
  add(placed ? placed->values : kRectDefaults);
  for (auto &[name, sizes] : kKindSizes)
    if (builtin && iequal(kind->name, name))
      for (auto &[size, value] : sizes)
        for (auto &p : pairs)
          if (p.first == size) p.second = value;
  for (const KindDefaults &k : kKindDefaults)
    if (builtin && iequal(kind->name, k.kind)) {
      add(k.values);
      if (k.showsText) add(kTextDefaults);
    }
  for (const PropValue &v : d.props) {
    bool known = false;
    for (auto &p : pairs)
      if (iequal(p.first, v.name)) p.second = literal_text(*v.value), known = true;
    if (!known) pairs.push_back({v.name, literal_text(*v.value)});
  }
  return pairs;
}

img::Bytes window_description(const ClassDecl &w, Checked &checked) {
  img::WindowDescription d;
  d.classIndex = checked.classes.index_of(w.info);
  for (auto &[name, value] : kWindowDefaults) d.window.push_back({name, value});
  d.window[0].second = w.name;
  d.window[5].second = w.name;
  for (const PropValue &v : w.windowProps) {
    bool known = false;
    for (auto &p : d.window)
      if (iequal(p.first, v.name)) p.second = literal_text(*v.value), known = true;
    if (!known) d.window.push_back({v.name, literal_text(*v.value)});
  }
  for (const ControlDecl &c : w.controls)
    d.controls.push_back({checked.classes.index_of(c.cls), control_pairs(c)});
  return img::encode_window_description(d);
}

static img::MenuRecord menu_record(const MenuEntry &e, Checked &checked) {
  ClassInfo *cls =
      e.classRef.name.empty() ? checked.menuItem : checked.classes.find(e.classRef.name);
  img::MenuRecord r = {e.kind,
                       e.text,
                       e.name,
                       e.index,
                       e.commandKey,
                       e.balloonHelp,
                       e.submenu,
                       checked.classes.index_of(cls),
                       {}};
  for (const MenuEntry &i : e.items) r.items.push_back(menu_record(i, checked));
  return r;
}

img::Bytes menu_bar(const std::vector<MenuEntry> &entries, Checked &checked) {
  std::vector<img::MenuRecord> records;
  for (const MenuEntry &e : entries) records.push_back(menu_record(e, checked));
  return img::encode_menu_bar(records);
}

img::ProjectSettingsDef project_settings(const ProjectDecl &p) {
  img::ProjectSettingsDef s;
  s.script = uint32_t(p.characterSet);
  for (const ProjectDecl::FileType &t : p.fileTypes)
    s.fileTypes.push_back({t.name, t.creator, t.type, t.extensions});
  s.messages = p.messages;
  s.mdi = p.mdi;
  s.applicationName = p.applicationName;
  return s;
}

} // namespace basc
