// Password fields: the control holds a masked copy of the text and the pane
// keeps the real text beside it. Every edit is made on the control first and
// then mirrored into the real text by where the control changed, so the real
// text keeps exactly what the control took: nothing it refused (read-only, its
// limit, keys that insert nothing), and the control's own line ends.
#include "text/string.h"
#include "ui/editfieldpane.h"
#include <cstring>
#include <initializer_list>

static uint8_t masked(const EditPane *ep, uint8_t c) { return c >= 32 ? ep->mask : c; }

RString *mask_copy(const EditPane *ep, RString *real) {
  int32_t n = str_len(real);
  if (!n) return nullptr;
  RString *copy = str_make(str_cview(real), n);
  uint8_t *bytes = str_writable(&copy, 0);
  for (int32_t i = 0; i < n; i++) bytes[i] = masked(ep, bytes[i]);
  return copy;
}

static void setControlText(EditPane *ep, RString *text) {
  RString *m = mask_copy(ep, text);
  SetWindowTextA(edit_hwnd(ep), str_cview(m));
  RuntimeUnlockString(m);
}

/* ---- mirroring the control's edits ---- */

struct Snapshot {
  RString *text; // the control's text before the edit
  CHARRANGE selection;
  bool modified; // the control's modified flag, cleared for the edit
};

// Masks hide a replacement by as many characters: the control's modified
// flag tells that it took the edit all the same.
static Snapshot snapshot(EditPane *ep) {
  Snapshot s = {edit_control_text(ep), edit_selection(ep), edit_send(ep, EM_GETMODIFY) != 0};
  edit_send(ep, EM_SETMODIFY, FALSE);
  return s;
}

// Old bytes [at, end) became `count` new bytes at `at`.
struct Change {
  int32_t at, end, count;
};

static bool same(const char *a, const char *b, int32_t n) { return n <= 0 || !memcmp(a, b, n); }

static bool fits(Change c, const char *t0, int32_t l0, const char *t1, int32_t l1) {
  return c.at >= 0 && c.at <= c.end && c.end <= l0 && c.count >= 0 && c.at + c.count <= l1 &&
         same(t0, t1, c.at) && same(t0 + c.end, t1 + c.at + c.count, l0 - c.end);
}

// Where the control changed: at the old selection, or, for a deletion
// without one, at the new insertion point. When that does not account for
// the change, the bytes the two texts share at each end decide.
static Change locate(const Snapshot &before, const char *t1, int32_t l1, CHARRANGE now) {
  const char *t0 = str_cview(before.text);
  int32_t l0 = str_len(before.text);
  CHARRANGE s = before.selection;
  Change c;
  if (s.cpMax != s.cpMin)
    c = {s.cpMin, s.cpMax, l1 - (l0 - (s.cpMax - s.cpMin))};
  else if (l1 < l0)
    c = {now.cpMin, now.cpMin + (l0 - l1), 0};
  else
    c = {s.cpMin, s.cpMin, l1 - l0};
  if (fits(c, t0, l0, t1, l1)) return c;
  int32_t shorter = l0 < l1 ? l0 : l1, head = 0, tail = 0;
  while (head < shorter && t0[head] == t1[head]) head++;
  while (tail < shorter - head && t0[l0 - 1 - tail] == t1[l1 - 1 - tail]) tail++;
  return {head, l0 - tail, l1 - tail - head};
}

// What the new bytes stand for: the source's, when the control holds
// exactly their masked copy; otherwise the control's own (characters below
// 32 are not masked, and a line end may grow by a line feed).
static RString *inserted(const EditPane *ep, const char *shown, int32_t count,
                         const uint8_t *source, int32_t n) {
  bool fromSource = count <= n;
  for (int32_t i = 0; fromSource && i < count; i++)
    fromSource = (char)masked(ep, source[i]) == shown[i];
  return str_make(fromSource ? (const void *)source : shown, count);
}

// Mirrors the control's edit since `before` into the real text; `source` is
// the real text whose masked copy the control was given. True when the
// control's text changed.
static bool mirror(EditPane *ep, Snapshot &before, const uint8_t *source, int32_t n) {
  RString *after = edit_control_text(ep);
  const char *t1 = str_cview(after);
  int32_t l1 = str_len(after);
  bool changed = edit_send(ep, EM_GETMODIFY) || l1 != str_len(before.text) ||
                 !same(str_cview(before.text), t1, l1);
  edit_send(ep, EM_SETMODIFY, before.modified || changed);
  if (changed) {
    Change c = locate(before, t1, l1, edit_selection(ep));
    RString *middle = inserted(ep, t1 + c.at, c.count, source, n);
    RString *head = str_left(ep->real, c.at), *tail = str_tail(ep->real, c.end);
    RString *front = str_join(head, middle);
    RString *real = str_join(front, tail);
    for (RString *s : {head, middle, tail, front, ep->real}) RuntimeUnlockString(s);
    ep->real = real;
  }
  RuntimeUnlockString(after);
  RuntimeUnlockString(before.text);
  return changed;
}

/* ---- what the field does in password mode ---- */

void mask_set_password(EditPane *ep, bool on) {
  if (on == (bool)ep->password) return;
  CHARRANGE selection = edit_selection(ep);
  edit_quiet(ep);
  if (on) {
    RString *text = edit_control_text(ep);
    str_assign(&ep->real, text);
    RuntimeUnlockString(text);
    setControlText(ep, ep->real);
  } else {
    SetWindowTextA(edit_hwnd(ep), str_cview(ep->real));
    str_assign(&ep->real, nullptr);
  }
  ep->password = on;
  edit_select(ep, selection.cpMin, selection.cpMax);
  edit_loud(ep);
}

void mask_put_text(EditPane *ep, RString *text) {
  edit_quiet(ep);
  setControlText(ep, text);
  int32_t held = GetWindowTextLengthA(edit_hwnd(ep)); /* its limit may have cut the text */
  RString *real = str_left(text, held < str_len(text) ? held : str_len(text));
  RuntimeUnlockString(ep->real);
  ep->real = real;
  edit_loud(ep);
}

void mask_replace_selection(EditPane *ep, RString *text) {
  edit_quiet(ep);
  Snapshot before = snapshot(ep);
  RString *m = mask_copy(ep, text);
  edit_send(ep, EM_REPLACESEL, TRUE, (LPARAM)str_cview(m));
  RuntimeUnlockString(m);
  mirror(ep, before, (const uint8_t *)str_cview(text), str_len(text));
  edit_loud(ep);
}

bool mask_type(EditPane *ep, const uint8_t *bytes, int n) {
  edit_quiet(ep);
  Snapshot before = snapshot(ep);
  for (int i = 0; i < n; i++)
    CallWindowProcA(ep->pane.nativeProcedure, edit_hwnd(ep), WM_CHAR, masked(ep, bytes[i]), 1);
  bool changed = ep->pane.hwnd && mirror(ep, before, bytes, n);
  edit_loud(ep);
  return changed;
}

bool mask_paste(EditPane *ep) {
  if (ep->readOnly || !OpenClipboard(edit_hwnd(ep))) return false;
  RString *text = nullptr;
  if (HANDLE h = GetClipboardData(CF_TEXT))
    if (const char *p = (const char *)GlobalLock(h)) {
      text = str_from(p);
      GlobalUnlock(h);
    }
  CloseClipboard();
  if (!text) return false;
  mask_replace_selection(ep, text);
  RuntimeUnlockString(text);
  return true;
}

static void reportBoth(EditPane *ep) {
  if (EditFieldObject *e = editField_of(&ep->pane)) edit_report_both(e);
}

// A message of the control's own that may edit: passed on, then mirrored.
static bool mirrored(EditPane *ep, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result) {
  edit_quiet(ep);
  Snapshot before = snapshot(ep);
  *result = CallWindowProcA(ep->pane.nativeProcedure, edit_hwnd(ep), message, wParam, lParam);
  bool changed = mirror(ep, before, nullptr, 0);
  edit_loud(ep);
  if (changed) reportBoth(ep);
  return true;
}

static bool pasted(EditPane *ep) {
  if (mask_paste(ep)) reportBoth(ep);
  return true;
}

static bool held(int vk) { return GetKeyState(vk) < 0; }

bool mask_filter(EditPane *ep, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result) {
  *result = 0;
  switch (message) {
  case WM_PASTE:
    return pasted(ep);
  case WM_CUT:
  case WM_COPY:
  case WM_UNDO:
  case EM_UNDO:
  case EM_REDO:
    return true; /* the masked text must neither leave nor come back */
  case WM_CLEAR:
    return mirrored(ep, message, wParam, lParam, result);
  case WM_SYSKEYDOWN:
    return wParam == VK_BACK; /* Alt+Backspace undoes */
  case WM_KEYDOWN: {
    bool ctrl = held(VK_CONTROL), shift = held(VK_SHIFT);
    if ((ctrl && wParam == 'V') || (shift && !ctrl && wParam == VK_INSERT)) return pasted(ep);
    if ((ctrl && (wParam == 'C' || wParam == 'X' || wParam == 'Z' || wParam == 'Y' ||
                  wParam == VK_INSERT)) ||
        (shift && wParam == VK_DELETE))
      return true;
    return mirrored(ep, message, wParam, lParam, result);
  }
  }
  return false;
}
