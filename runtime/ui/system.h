// The System object's questions about the machine: Gestalt selectors, the
// colour of a screen pixel, the keyboard's script (the input language), and
// the beep.
#pragma once
#include "objects/objects.h"
#include <cstdint>

struct RString;

// The scripts a keyboard layout writes, as KeyScript numbers them.
enum class Script : int32_t {
  Roman = 0,
  Japanese = 1,
  TraditionalChinese = 2,
  Korean = 3,
  Arabic = 4,
  Hebrew = 5,
  Greek = 6,
  Cyrillic = 7,
  Thai = 21,
  SimplifiedChinese = 25,
};

// The script of a platform language identifier: Roman for every language
// written in Latin letters and for those the table does not know.
Script script_of_language(uint16_t langId);

// Whether the Gestalt selector is one the runtime answers.
bool gestalt_known(const char *selector, int32_t length);

extern "C" {
void RuntimeBeep();
bool systemGestalt(Object *system, RString *selector, int32_t *result);
int32_t systemPixel(Object *system, int32_t x, int32_t y);
int32_t systemGetKeyScript(Object *system);
void systemSetKeyScript(Object *system, int32_t, int32_t script);
// The Application's switch for every control's and window's tool tip
// (panehelp.cpp): while off, no tip shows; on again, each shows its text.
bool AppBalloonHelpVisibleGetter(Object *app);
void AppBalloonHelpVisibleSetter(Object *app, int32_t, bool visible);
}
