// TabPanel: a native tab control that shows the controls of the chosen tab.
#pragma once
#include "ui/control.h"
#include "ui/textstyle.h"

struct TabPanelObject {
  ControlObject control;  // 0
  RString *tabDefinition; // 92: captions separated by carriage returns
  void *adapter;          // 96
  TextStyle style;        // 100: TextFont, TextSize 104, Bold, Italic, Underline 108
  uint8_t smallTabs;      // 109
  int32_t facing;         // 112: 0 top, 1 bottom, 2 right, 3 left
};
static_assert(offsetof(TabPanelObject, tabDefinition) == 92);
static_assert(offsetof(TabPanelObject, style) == 100);
static_assert(offsetof(TabPanelObject, smallTabs) == 109);
static_assert(offsetof(TabPanelObject, facing) == 112);
static_assert(sizeof(TabPanelObject) <= 124);

void tabPanel_createPane(Object *o);
void tabpanel_install(); // the pane maker and the class's destructor
// The rule that shows each tab's controls, over a window's tab panels once
// the window is made.
void tabpanel_pass(WindowObject *window);
// The select-tab shortcut: the enabled, shown tab panel of the window with a
// tab whose caption's mnemonic is c takes the focus and selects it; true
// when one had it.
bool tabpanel_select_by_mnemonic(View *view, uint8_t c);

extern "C" {
int32_t tabPanelValueGetter(TabPanelObject *t);
void tabPanelValueSetter(TabPanelObject *t, int32_t, int32_t value);
}
