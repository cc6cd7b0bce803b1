// Sound files for the sound tests, on either side of Wine: WAVE files of a
// tone made on the spot, and what the sound server's null sink heard (its
// monitor as the test bed records it: 16-bit stereo frames at 44,100 per
// second), read from a point on.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A RIFF WAVE file of a sine tone, mono, `bits` 8 or 16.
inline std::string waveFile(int rate, int bits, int milliseconds, double amplitude = 0.4,
                            double frequency = 440) {
  int frames = rate * milliseconds / 1000, bytes = frames * bits / 8;
  std::string w;
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; i++) w += char(v >> (8 * i));
  };
  auto u16 = [&](uint16_t v) { w += char(v), w += char(v >> 8); };
  w += "RIFF";
  u32(36 + bytes);
  w += "WAVEfmt ";
  u32(16);
  u16(1);
  u16(1);
  u32(rate);
  u32(rate * bits / 8);
  u16(bits / 8);
  u16(bits);
  w += "data";
  u32(bytes);
  for (int i = 0; i < frames; i++) {
    double v = amplitude * sin(2 * 3.14159265358979 * frequency * i / rate);
    if (bits == 8)
      w += char(128 + int(v * 127));
    else
      u16(uint16_t(int16_t(v * 32767)));
  }
  return w;
}

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
