// Shared by the runtime's sound tests: sounds opened from WAVE files in the
// scratch folder, waiting for a sound's end, and what the sound server's null
// sink heard meanwhile (the test bed records it into MORVINT_SOUND_DIR).
#pragma once
#include "devices/sound.h"
#include "foldertest.h"
#include "soundfiles.h"
#include "lifecycle/application.h"
#include <mmsystem.h>
#include <cstdio>
#include <string>

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
