// The edit field's native side, shared by its own files: the pane record,
// reports on and off, the change reports, the text and selection of the
// control, password masking, and character and paragraph formats.
#pragma once
#include "ui/editfield.h"
#include <richedit.h>

struct EditPane {
  Pane pane;
  RString *real;       // the unmasked text while the password flag is set
  int32_t alignment;   // applied to the whole text
  COLORREF background; // platform colour; the window colour at first
  int32_t quiet;       // nesting of "reports off"
  uint8_t styled;      // per-character styles allowed
  uint8_t readOnly;
  uint8_t multiLine;
  uint8_t acceptTabs;
  uint8_t password;
  uint8_t useFocusRing;
  uint8_t mask;        // shown for every character of code 32 or more: '*'
  uint8_t pendingLead; // a typed lead byte waiting for its trail byte; 0 for none
};

inline EditPane *edit_pane(EditFieldObject *e) { return (EditPane *)e->control.pane; }
inline HWND edit_hwnd(EditPane *ep) { return ep->pane.hwnd; }
inline LRESULT edit_send(EditPane *ep, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageA(ep->pane.hwnd, message, wParam, lParam);
}

/* ---- reports (editfield.cpp) ---- */

// Formatting and the runtime's own edits run with the control's change and
// selection reports off; the outermost loud turns them on again.
void edit_quiet(EditPane *ep);
void edit_loud(EditPane *ep);

// Text changed and selection changed, each from this one place whatever
// caused it. kPaneGone when a handler closed the field.
Delivery edit_report_text(EditFieldObject *e);
Delivery edit_report_selection(EditFieldObject *e);
Delivery edit_report_both(EditFieldObject *e); // text, then selection

/* ---- text and selection of the control (editfield.cpp) ---- */

RString *edit_control_text(EditPane *ep);        // what the control holds (masked in password mode)
RString *edit_text(EditPane *ep);                // the real text
void edit_put_text(EditPane *ep, RString *text); // quietly, masked in password mode
int32_t edit_length(EditPane *ep);               // as the control counts it: its positions
CHARRANGE edit_selection(EditPane *ep);
void edit_select(EditPane *ep, int32_t start, int32_t end); // quietly
void edit_replace_selection(EditPane *ep, RString *text);   // quietly, undo allowed
void edit_paste(
    EditPane *ep); // the clipboard's text at the selection, quietly; masked in a password field
int32_t edit_library_version(); // of the rich-edit library

/* ---- password masking (editfieldmask.cpp) ---- */

RString *mask_copy(const EditPane *ep, RString *real); // every code >= 32 as the mask
void mask_set_password(EditPane *ep, bool on);         // converts the contents at once
void mask_put_text(EditPane *ep, RString *text);
void mask_replace_selection(EditPane *ep, RString *text);
// Typed bytes (one character) that KeyDown let through, quietly; true when
// the control took them.
bool mask_type(EditPane *ep, const uint8_t *bytes, int n);
// The password field's share of the control's messages: editing keys are
// mirrored into the real text; paste inserts masked; cut, copy and undo are
// refused. True with *result set when taken.
bool mask_filter(EditPane *ep, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result);
bool mask_paste(EditPane *ep); // the clipboard's text as by SelText; false when none

/* ---- formats (editfieldformat.cpp) ---- */

void format_field_font(EditPane *ep, EditFieldObject *e); // TextFont ... Underline, all text
void format_text_colour(EditPane *ep, int32_t colour);    // all text
void format_background(EditPane *ep, int32_t colour);
void format_alignment(EditPane *ep, int32_t alignment); // nothing when already current
// The field's alignment again, for text that replaced every paragraph (the
// control gives new text the default paragraph format).
void format_realign(EditPane *ep);
int32_t format_sel_alignment(EditPane *ep); // -1 when the paragraphs differ
void format_set_sel_alignment(EditPane *ep, int32_t alignment);

// The selection's character format (consistent attributes in its mask).
CHARFORMATA format_selection(EditPane *ep);
bool format_sel_has(EditPane *ep, DWORD effect); // the whole selection has it
void format_sel_set(EditPane *ep, DWORD effect, bool on);
void format_sel_font(EditPane *ep, RString *name); // the selection, or all of a plain field
void format_sel_size(EditPane *ep, int32_t size);
void format_sel_colour(EditPane *ep, int32_t colour);

RString *format_style_data(EditPane *ep);
// Sets the text, then styles each character by its record; records are
// read only as far as they are complete.
void format_apply_style(EditPane *ep, RString *text, RString *style);
