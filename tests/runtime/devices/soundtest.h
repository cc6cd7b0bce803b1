// Shared by the sound tests: WAVE files made on the spot, sounds opened from
// them in the scratch folder, waiting for a sound's end, and what the sound
// server's null sink heard meanwhile (its monitor, recorded by the test bed
// into the file MORVINT_SOUND_DIR/monitor.raw: 16-bit stereo at 44,100).
#pragma once
#include "devices/sound.h"
#include "foldertest.h"
#include "heard.h"
#include "lifecycle/application.h"
#include <cmath>
#include <mmsystem.h>
#include <cstdio>
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

class SoundTest : public FolderTest {
protected:
  void TearDown() override {
    gLoopHooks.shutDownMedia(); /* "close all", the wave volume back */
    gWaveVolume = kRealWaveVolume;
    FolderTest::TearDown();
  }

  SoundObject *open(const std::string &name, const std::string &bytes) {
    put(name, bytes);
    Object *item = this->item(name);
    Object *s = FolderItemOpenSound(item);
    RuntimeUnlockObject(item);
    return (SoundObject *)s;
  }

  // Asks IsPlaying (which takes the waiting messages) until it answers false.
  static bool waitForEnd(SoundObject *s, DWORD ms = 20000) {
    DWORD start = GetTickCount();
    while (soundIsPlaying(s))
      if (GetTickCount() - start > ms)
        return false;
      else
        Sleep(10);
    return true;
  }
  static void pumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
      MSG m;
      while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
      Sleep(10);
    }
  }

  // The recording, as Wine names the file; empty outside the test bed.
  static std::string monitor() {
    const char *dir = getenv("MORVINT_SOUND_DIR");
    if (!dir || !*dir) return "";
    std::string p = std::string("Z:") + dir + "/monitor.raw";
    for (char &c : p)
      if (c == '/') c = '\\';
    return p;
  }
  static long recorded() {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExA(monitor().c_str(), GetFileExInfoStandard, &a)) return 0;
    return (long)a.nFileSizeLow;
  }
  // The recording from `from` on, once the recorder has caught up.
  static Heard heardSince(long from, DWORD catchUp = 800) {
    Sleep(catchUp);
    Heard h;
    if (FILE *f = fopen(monitor().c_str(), "rb")) {
      h = heard_in(f, from);
      fclose(f);
    }
    return h;
  }
};
