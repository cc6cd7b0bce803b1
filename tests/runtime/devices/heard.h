// What the sound server's null sink heard: its monitor recorded by the test
// bed (16-bit stereo frames at 44,100 per second), read from a point on.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

struct Heard {
  double seconds = 0; // how long it sounded
  int peak = 0;       // the loudest sample
};

constexpr long kMonitorRate = 44100, kMonitorFrame = 4, kToneGap = 30;

// A tone sounds from one loud sample to the next while they lie closer than
// a fraction of its period (30 frames: a 440 Hz tone dips below the threshold
// for about 5 frames at each zero crossing); longer silences are the gaps a
// slow machine leaves and do not count.
inline Heard heard_in(FILE *f, long from, int threshold = 2000) {
  Heard h;
  fseek(f, from - from % kMonitorFrame, SEEK_SET);
  int16_t lr[2];
  long frame = 0, lastLoud = -kToneGap - 1, sounding = 0;
  while (fread(lr, kMonitorFrame, 1, f) == 1) {
    int loud = std::max(abs(lr[0]), abs(lr[1]));
    h.peak = std::max(h.peak, loud);
    if (loud > threshold) {
      sounding += frame - lastLoud <= kToneGap ? frame - lastLoud : 1;
      lastLoud = frame;
    }
    frame++;
  }
  h.seconds = double(sounding) / kMonitorRate;
  return h;
}
