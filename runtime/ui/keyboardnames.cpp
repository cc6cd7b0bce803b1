// Key names and key characters: what a key press is called when shortcuts
// are matched, the one-character string a window's KeyDown receives, and the
// key names of menu CommandKey texts.
#include "objects/classdef.h"
#include "text/string.h"
#include "ui/keyboard.h"
#include <cstdio>
#include <cstring>

/* ---- names ---- */

static const struct {
  int vk;
  const char *name;
} kNamedKeys[] = {
    {VK_BACK, "Bsp"},        {VK_TAB, "Tab"},           {VK_CLEAR, "Clr"},     {VK_RETURN, "Enter"},
    {VK_ESCAPE, "Esc"},      {VK_SPACE, "Space"},       {VK_PRIOR, "PgUp"},    {VK_NEXT, "PgDn"},
    {VK_END, "End"},         {VK_HOME, "Home"},         {VK_LEFT, "Left"},     {VK_UP, "Up"},
    {VK_RIGHT, "Right"},     {VK_DOWN, "Down"},         {VK_SELECT, "Select"}, {VK_PRINT, "Print"},
    {VK_EXECUTE, "Execute"}, {VK_SNAPSHOT, "Snapshot"}, {VK_INSERT, "Ins"},    {VK_DELETE, "Del"},
    {VK_HELP, "Help"},
};

static const char *namedKey(int vk) {
  for (auto &k : kNamedKeys)
    if (k.vk == vk) return k.name;
  return nullptr;
}

// Modifier and lock keys: they have no name.
static const int kSilentKeys[] = {
    VK_SHIFT,   VK_CONTROL, VK_MENU,   VK_PAUSE,  VK_CAPITAL,  VK_LWIN,     VK_RWIN,  VK_APPS,
    VK_NUMLOCK, VK_SCROLL,  VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU};

static bool silentKey(int vk) {
  for (int k : kSilentKeys)
    if (k == vk) return true;
  return false;
}

// US-layout punctuation keys: the key, its character, its shifted character.
static const struct {
  int vk;
  char plain, shifted;
} kPunctuation[] = {
    {VK_OEM_1, ';', ':'},     {VK_OEM_PLUS, '=', '+'},   {VK_OEM_COMMA, ',', '<'},
    {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},
    {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},      {VK_OEM_5, '\\', '|'},
    {VK_OEM_6, ']', '}'},     {VK_OEM_7, '\'', '"'},
};

// The characters of the numeric keypad's operators, from VK_MULTIPLY on;
// 0 where the key (the separator) has none.
static const char kKeypadOperators[] = {'*', '+', 0, '-', '.', '/'};

static bool isKeypad(int vk) {
  return (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) ||
         (vk >= VK_MULTIPLY && vk <= VK_DIVIDE && kKeypadOperators[vk - VK_MULTIPLY]);
}

static int keypadCharacter(int vk) {
  return vk <= VK_NUMPAD9 ? '0' + (vk - VK_NUMPAD0) : kKeypadOperators[vk - VK_MULTIPLY];
}

static int punctuation(int vk, bool shift) {
  for (auto &p : kPunctuation)
    if (p.vk == vk) return shift ? p.shifted : p.plain;
  return 0;
}

// The key part of a name. Keypad and punctuation keys are named by the
// character they type, so that a CommandKey "-" meets the minus key and the
// keypad's 1 is not taken for the letter whose code it shares.
static int keyText(int vk, char *out) {
  if (const char *name = namedKey(vk)) return snprintf(out, 16, "%s", name);
  if (vk >= VK_F1 && vk <= VK_F24) return snprintf(out, 16, "F%d", vk - VK_F1 + 1);
  int c = isKeypad(vk) ? keypadCharacter(vk) : punctuation(vk, false);
  out[0] = (char)(c ? c : vk);
  out[1] = 0;
  return 1;
}

static RString *withModifiers(int modifiers, const char *key) {
  char text[64];
  snprintf(text, sizeof text, "%s%s%s%s", modifiers & kModCommand ? "Ctrl+" : "",
           modifiers & kModShift ? "Shft+" : "", modifiers & kModOption ? "Alt+" : "", key);
  return str_from(text);
}

RString *key_name(int vk, int modifiers) {
  if (silentKey(vk)) return nullptr;
  char key[16];
  keyText(vk, key);
  return withModifiers(modifiers, key);
}

/* ---- characters ---- */

// The runtime's character codes of the navigation keys.
static const struct {
  int vk, character;
} kNavigationCharacters[] = {
    {VK_PRIOR, 11}, {VK_NEXT, 12}, {VK_END, 4},   {VK_HOME, 1},   {VK_LEFT, 28},
    {VK_RIGHT, 29}, {VK_UP, 30},   {VK_DOWN, 31}, {VK_INSERT, 5}, {VK_DELETE, 127},
};

int key_character(int vk, int modifiers) {
  bool shift = (modifiers & kModShift) != 0;
  if (vk >= 'A' && vk <= 'Z') return shift ? vk : vk + ('a' - 'A');
  if (vk >= '0' && vk <= '9') return shift ? ")!@#$%^&*("[vk - '0'] : vk;
  if (isKeypad(vk)) return keypadCharacter(vk);
  if (vk >= VK_F1 && vk <= VK_F24) return 200 + (vk - VK_F1);
  for (auto &k : kNavigationCharacters)
    if (k.vk == vk) return k.character;
  if (int c = punctuation(vk, shift)) return c;
  return vk;
}

/* ---- command keys ---- */

static bool wordIs(const char *word, int32_t length, const char *expected) {
  return names_equal(word, length, expected, (int32_t)strlen(expected));
}

RString *command_key_name(RString *commandKey) {
  const char *text = str_cview(commandKey);
  int32_t length = str_len(commandKey);
  if (length == 0) return nullptr;
  int modifiers = 0;
  const char *field = text, *end = text + length;
  for (const char *dash; (dash = (const char *)memchr(field, '-', end - field)); field = dash + 1) {
    int32_t n = (int32_t)(dash - field);
    if (wordIs(field, n, "Shift")) modifiers |= kModShift;
    if (wordIs(field, n, "Control")) modifiers |= kModCommand;
    if (wordIs(field, n, "Alt")) modifiers |= kModOption;
  } /* "Option" and any other word add nothing */
  RString *key = field == end ? str_from("-") : str_make(field, (int32_t)(end - field));
  if (str_len(key) == 1) modifiers |= kModCommand;
  RString *name = withModifiers(modifiers, str_cview(key));
  RuntimeUnlockString(key);
  return name;
}
