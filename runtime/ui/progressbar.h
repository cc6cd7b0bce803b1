// ProgressBar: a native progress bar, and the moving block the runtime draws
// on it while its maximum is not positive.
#pragma once
#include "ui/control.h"

struct ProgressBarObject {
  ControlObject control; // 0
  int32_t value;         // 92
  int32_t maximum;       // 96: 0 or less: indeterminate
};
static_assert(offsetof(ProgressBarObject, value) == 92);
static_assert(offsetof(ProgressBarObject, maximum) == 96);
static_assert(sizeof(ProgressBarObject) == 100);

enum {
  kProgressPeriod = 10, // ticks between two steps of the moving block
  kProgressBlock = 8,   // its width and step in pixels
};

void progressbar_install();    // the pane maker of ProgressBar
int32_t progress_animations(); // bars whose block moves now, each with its periodic task
// The block's place: its step across the bar, and whether it moves back.
void progress_phase(ProgressBarObject *bar, int32_t *phase, bool *backward);

extern "C" {
int32_t progressValueGetter(ProgressBarObject *bar);
void progressValueSetter(ProgressBarObject *bar, int32_t, int32_t value);
int32_t progressMaximumGetter(ProgressBarObject *bar);
void progressMaximumSetter(ProgressBarObject *bar, int32_t, int32_t value);
}
