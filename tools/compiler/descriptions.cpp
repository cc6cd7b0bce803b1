// Window descriptions: the window's properties (the usual twenty-one, with the
// source's values in place of the defaults, then any others), then one record
// per control: Name, Index and TabPanelIndex first, then its properties.
#include "descriptions.h"
#include "names.h"
#include "packed.h"
#include <algorithm>

namespace basc {

using img::put_packed_int;
using img::put_packed_string;

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
static const Defaults kTextDefaults = {
    {"TextFont", "System"}, {"TextSize", "12"},     {"Bold", "False"},
    {"Italic", "False"},    {"Underline", "False"},
};
static const std::pair<const char *, Defaults> kKindDefaults[] = {
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
  add(kRectDefaults);
  for (auto &[name, list] : kKindDefaults)
    if (kind && kind->builtin && iequal(kind->name, name)) {
      add(list);
      add(kTextDefaults); /* every kind listed shows text */
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
  std::vector<std::pair<std::string, std::string>> props;
  for (auto &[name, value] : kWindowDefaults) props.push_back({name, value});
  props[0].second = w.name;
  props[5].second = w.name;
  for (const PropValue &v : w.windowProps) {
    bool known = false;
    for (auto &p : props)
      if (iequal(p.first, v.name)) p.second = literal_text(*v.value), known = true;
    if (!known) props.push_back({v.name, literal_text(*v.value)});
  }
  img::Bytes b;
  put_packed_int(b, int32_t(props.size()));
  put_packed_int(b, checked.classes.index_of(w.info));
  for (auto &[name, value] : props) {
    put_packed_string(b, name);
    put_packed_string(b, value);
  }
  put_packed_int(b, int32_t(w.controls.size()));
  for (const ControlDecl &d : w.controls) {
    put_packed_int(b, checked.classes.index_of(d.cls));
    std::vector<std::pair<std::string, std::string>> pairs = control_pairs(d);
    put_packed_int(b, int32_t(pairs.size()));
    for (auto &[name, value] : pairs) {
      put_packed_string(b, name);
      put_packed_string(b, value);
    }
  }
  put_packed_int(b, 0); /* no bindings */
  return b;
}

// Entry and item records share one layout; an entry's item list always
// follows it, an item's only when it opens a submenu.
static void menu_record(img::Bytes &b, const MenuEntry &e, Checked &checked) {
  put_packed_int(b, e.kind);
  put_packed_string(b, e.text);
  put_packed_string(b, e.name);
  put_packed_int(b, e.index);
  put_packed_string(b, e.commandKey);
  put_packed_string(b, e.balloonHelp);
  put_packed_string(b, "");
  img::put_u8(b, 0);
  img::put_u8(b, e.submenu);
  ClassInfo *cls =
      e.classRef.name.empty() ? checked.menuItem : checked.classes.find(e.classRef.name);
  put_packed_int(b, checked.classes.index_of(cls));
}

static void menu_items(img::Bytes &b, const std::vector<MenuEntry> &items, Checked &checked) {
  put_packed_int(b, int32_t(items.size()));
  for (const MenuEntry &i : items) {
    menu_record(b, i, checked);
    if (i.submenu) menu_items(b, i.items, checked);
  }
}

img::Bytes menu_bar(const std::vector<MenuEntry> &entries, Checked &checked) {
  img::Bytes b;
  put_packed_int(b, int32_t(entries.size()));
  for (const MenuEntry &e : entries) {
    menu_record(b, e, checked);
    menu_items(b, e.items, checked);
  }
  return b;
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
