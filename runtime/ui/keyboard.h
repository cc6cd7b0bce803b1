// Keyboard handling: key names and key characters, command-key texts, the
// process-wide shortcut registry, and the translation step that every
// key-down passes through before it is dispatched.
#pragma once
#include "ui/pane.h"

struct View;

/* ---- key names and characters ---- */

// The name of a key with modifiers: "Ctrl+", "Shft+", "Alt+" as held, then
// the key ("Enter", "F5", "Q" ...). Nil (the empty name) for the modifier
// and lock keys, which never match and are offered to no one by name.
RString *key_name(int vk, int modifiers);

// The character code a window's KeyDown receives for a key: letters by
// Shift, US-layout punctuation and shifted digits, runtime codes for the
// navigation and function keys, the key code itself for the rest.
int key_character(int vk, int modifiers);

// The key name of a menu item's CommandKey text: "-"-separated modifier
// words, then the key; a single-character key implies Ctrl ("Q" gives
// "Ctrl+Q", "Shift-Alt-F5" gives "Shft+Alt+F5"). Nil for an empty text.
RString *command_key_name(RString *commandKey);

/* ---- the shortcut registry ---- */

enum ShortcutKind {
  kShortcutMenuItem = 0,    // target: the native menu; detail: the command identifier
  kShortcutClickButton = 1, // target: the button's native window
  kShortcutSelectTab = 2,   // target: the tab control's native window; detail: the tab index
  kShortcutPress = 3,       // target: the control's native window
  kShortcutAccelerator = 4, // target: a StaticText's native window (its AcceleratorKey event)
};

struct Shortcut {
  Shortcut *next; // newest first
  int32_t kind;   // ShortcutKind
  void *target;   // an HMENU for menu items, else an HWND
  int32_t detail; // command identifier or tab index; 0 otherwise
  RString *key;   // the key name, retained
};

// Registers a shortcut; an entry with the same kind, target and detail is
// replaced. The name is retained; a nil name registers nothing.
void shortcut_register(int32_t kind, void *target, int32_t detail, RString *keyName);
// Takes an entry away (a closed menu item's identifier may go to another item).
void shortcut_remove(int32_t kind, void *target, int32_t detail);
Shortcut *shortcut_list(); // newest first

// The default focus rule: a native window with the tab-stop style.
bool keyboard_tab_stop(Pane *pane, bool byArrow);

/* ---- the translation step ---- */

extern int gKeyModifiers; // Ctrl, Shift and Alt bits of the last key press

// A key going down in `hwnd` with `modifiers` (kModCommand, kModShift,
// kModOption): shortcuts, the focused pane, the window's KeyDown, focus
// navigation. True when the key is consumed.
bool keyboard_key_down(HWND hwnd, int vk, int modifiers);

// The loop's step for every message: key-downs (system ones included) go
// through keyboard_key_down with the keyboard's modifier state.
bool keyboard_translate(MSG *m);
