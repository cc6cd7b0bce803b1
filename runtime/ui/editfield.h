// EditField: the text-entry control on the platform's rich-edit control. Its
// instance record, and what the menus and the keyboard translation ask of a
// focused field: the edit commands, the edit-menu enabling, the keys it keeps.
#pragma once
#include "ui/control.h"
#include "ui/textstyle.h"

struct MenuItemObject;

struct EditFieldObject {
  ControlObject control;       // 0
  RString *dataSource;         // 92: the data control it is bound to, by name
  RString *dataField;          // 96: the column within it
  TextStyle style;             // 100: TextFont, TextSize 104 (x 15 twips), ..., Underline 108
  void *adapter;               // 112: not used; the pane reports through its owner
  uint8_t border;              // 116
  uint8_t multiLine;           // 117
  uint8_t scrollBarHorizontal; // 118: multi-line only
  uint8_t scrollBarVertical;   // 119: multi-line only; ScrollBar too
  uint8_t readOnly;            // 120
  RString *text;               // 124: the text last given by a setter or the description
  int32_t limitText;           // 128: 0 = the pane's limit of 1,000,000
  int32_t backColor;           // 132: 0x00RRGGBB
  int32_t textColor;           // 136: 0x00RRGGBB
  uint8_t changeLock;          // 140: TextChange is being delivered
  uint8_t selectionLock;       // 141: SelChange is being delivered
  uint8_t password;            // 142
  uint8_t styled;              // 143
  uint8_t acceptTabs;          // 144
  uint8_t liveUpdate;          // 145: push every change to the binding
  uint8_t useFocusRing;        // 146
  Object *binding;             // 148: the object bound to the field, or nil
  int32_t alignment;           // 152: 0 default, 1 left, 2 centre, 3 right
};
static_assert(offsetof(EditFieldObject, dataSource) == 92);
static_assert(offsetof(EditFieldObject, style) == 100);
static_assert(offsetof(EditFieldObject, adapter) == 112);
static_assert(offsetof(EditFieldObject, border) == 116);
static_assert(offsetof(EditFieldObject, readOnly) == 120);
static_assert(offsetof(EditFieldObject, text) == 124);
static_assert(offsetof(EditFieldObject, limitText) == 128);
static_assert(offsetof(EditFieldObject, backColor) == 132);
static_assert(offsetof(EditFieldObject, textColor) == 136);
static_assert(offsetof(EditFieldObject, changeLock) == 140);
static_assert(offsetof(EditFieldObject, password) == 142);
static_assert(offsetof(EditFieldObject, useFocusRing) == 146);
static_assert(offsetof(EditFieldObject, binding) == 148);
static_assert(offsetof(EditFieldObject, alignment) == 152);
static_assert(sizeof(EditFieldObject) == 156);

void editField_createPane(Object *o);
void editfield_install(); // the pane maker and the class's destructor

/* ---- what the menus and the keyboard translation use ---- */

enum EditCommand { kEditCut, kEditCopy, kEditPaste, kEditClear, kEditSelectAll };

// The pane as an edit field's pane (nil for any other pane) and its field.
bool editField_is(const Pane *pane);
EditFieldObject *editField_of(Pane *pane);

// Whether the field of `pane` can carry out the command now: with a
// selection, Cut when neither read-only nor a password field, Clear when not
// read-only, Copy when not a password field; Paste when not read-only and
// the clipboard holds text; Select All when it holds any text.
bool editField_can(Pane *pane, EditCommand command);
// Carries it out when it can (text and selection changes are reported);
// false when it could not.
bool editField_do(Pane *pane, EditCommand command);

// A menu command while the field has the focus: its class chain's menu
// handlers for the item's name first, then EditCut, EditCopy, EditPaste or
// EditClear by the field itself. True when handled.
bool editField_menu_command(Pane *pane, MenuItemObject *item);
// The enabling pass's step for the focused field: enables those of the
// items EditCut, EditCopy, EditPaste and EditClear that it can carry out.
void editField_menu_enable(Pane *pane);

// Keys the field keeps from focus navigation and the default button: Tab in
// a multi-line field that accepts tabs, Return in a multi-line field.
bool editField_keeps_key(Pane *pane, int vk);

// The pane's routines (key-downs of the navigation keys arrive through
// its keyDown, offered by the key translation step).
const PaneKind *editField_pane_kind();
// A kind built from those routines (a list's cell editor): its panes count
// as edit fields for the menus and the keyboard.
void editField_adopt_kind(const PaneKind *kind);

// Loads a file's contents into the field: rich text when it begins with
// "{\rtf", plain text otherwise. False without a pane.
bool editField_load(EditFieldObject *e, const void *bytes, int32_t length);

// Streams the field's contents out as rich text through write, which says
// whether it took the bytes; false without a pane or when a write failed.
typedef bool (*EditFieldSink)(void *cookie, const void *bytes, int32_t count);
bool editField_save(EditFieldObject *e, EditFieldSink write, void *cookie);

// One character of a field as it is shown, for those who lay its styled
// text out elsewhere (the printer).
struct StyledChar {
  wchar_t ch; // a UTF-16 unit; '\r' ends a paragraph
  uint8_t bold, italic, underline;
  uint8_t align;          // its paragraph's: PFA_LEFT, PFA_CENTER or PFA_RIGHT
  int32_t height;         // twips
  COLORREF colour;        // of the text
  char face[LF_FACESIZE]; // the font's name
};

// The field's characters with their styles, read without reports and with
// the selection given back (malloc'd, *count of them; the caller frees it);
// nil without a pane or memory.
StyledChar *editField_styled_text(EditFieldObject *e, int32_t *count);

extern "C" {
RString *editTextGetter(EditFieldObject *e);
void editTextSetter(EditFieldObject *e, int32_t, RString *text);
}
