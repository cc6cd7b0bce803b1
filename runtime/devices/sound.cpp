// The Sound class: opening a folder item as a sound, the entry points that
// play, stop and balance a sound whichever kind it is, the volume word, the
// saved wave-output volume, and the media part of the loop's shutdown.
#include "devices/sound.h"
#include "base/platform.h"
#include "devices/noteplayer.h"
#include "files/file.h"
#include "files/fileobject.h"
#include "lifecycle/application.h"
#include "objects/registry.h"
#include <algorithm>

/* ---- the volume word ---- */

static MMRESULT realGetVolume(DWORD *word) { return waveOutGetVolume((HWAVEOUT)0, word); }
static MMRESULT realSetVolume(DWORD word) { return waveOutSetVolume((HWAVEOUT)0, word); }
const WaveVolume kRealWaveVolume = {realGetVolume, realSetVolume};
WaveVolume gWaveVolume = kRealWaveVolume;

static bool volumeSaved; // the user's own wave-output volume is in savedVolume
static DWORD savedVolume;

constexpr uint32_t kChannelFull = 0xFFFF;

// The percentages are applied as fractions of 0.01, each product cut to an
// integer, so that Volume 50 with Pan -50 gives right 16383, left 32767.
uint32_t sound_volume_word(int32_t volume, int32_t pan) {
  double level = volume * 0.01 * kChannelFull;
  uint32_t left, right;
  if (pan < 0) {
    right = (uint32_t)(level * (pan + kPanLimit) * 0.01);
    left = (uint32_t)level;
  } else {
    left = (uint32_t)(level * (kPanLimit - pan) * 0.01);
    right = (uint32_t)level;
  }
  return right << 16 | (left & kChannelFull);
}

void sound_apply_volume(const SoundObject *s) {
  uint32_t word = sound_volume_word(s->volume, s->pan);
  gWaveVolume.set(word);
  /* a MIDI file plays through the device its alias opened */
  if (uint32_t device = soundfile_device(s)) midiOutSetVolume((HMIDIOUT)(uintptr_t)device, word);
}

// Saved once a process (until shutdown puts it back): a second Sound must not
// take the volume the first one set for the user's own.
void sound_save_volume() {
  if (!volumeSaved) volumeSaved = gWaveVolume.get(&savedVolume) == MMSYSERR_NOERROR;
}

void sound_restore_volume() {
  if (volumeSaved) gWaveVolume.set(savedVolume);
  volumeSaved = false;
}

HINSTANCE sound_window_class(const char *name, WNDPROC procedure) {
  HINSTANCE instance = gInstance ? gInstance : GetModuleHandleA(nullptr);
  WNDCLASSA c = {};
  if (!GetClassInfoA(instance, name, &c)) {
    c.lpfnWndProc = procedure;
    c.hInstance = instance;
    c.lpszClassName = name;
    RegisterClassA(&c);
  }
  return instance;
}

/* ---- the class ---- */

static void makeSound(Object *o, ClassDef *) {
  SoundObject *s = (SoundObject *)o;
  s->alias = kNoAlias;
  s->volume = kFullVolume;
  sound_save_volume();
}

// A sound freed while it plays stops first: its device closes and its
// notification window goes, so that no late notification finds freed memory.
static void destroySound(Object *o, ClassDef *) {
  SoundObject *s = (SoundObject *)o;
  soundfile_release(s);
  soundimage_release(s);
  RuntimeUnlockObject(s->item);
  s->item = nullptr;
}

static void shutDownMedia() {
  soundimage_shut_down();
  soundfile_shut_down();
  sound_restore_volume();
}

void sound_classes_attach() {
  if (ClassDef *sound = registry_find("Sound")) {
    sound->constructor = makeSound;
    sound->destructor = destroySound;
  }
  noteplayer_classes_attach();
  gLoopHooks.shutDownMedia = shutDownMedia;
}

Object *FolderItemOpenSound(Object *item) {
  uint8_t head[4];
  char path[kFolderPathMax];
  FileObject *f = folderitem_copy_path(item, path) ? file_open(path, FileOpen::Read) : nullptr;
  int32_t n = f ? file_read(f, head, sizeof head) : 0;
  file_destroy(f);
  ClassDef *sound = registry_find("Sound");
  if (!sound || !sound_header_known(head, n)) return nullptr;
  SoundObject *s = (SoundObject *)CreateInstance(sound);
  s->item = RuntimeLockObject(item);
  return &s->header;
}

/* ---- the entry points ---- */

static void play(SoundObject *s, bool looping) {
  if (sound_is_image(s))
    soundimage_play(s, looping);
  else
    soundfile_play(s, looping);
}

void soundPlay(SoundObject *s) { play(s, false); }
void soundPlayLooping(SoundObject *s) { play(s, true); }

void soundStop(SoundObject *s) {
  if (sound_is_image(s))
    soundimage_stop(s);
  else
    soundfile_stop(s);
  s->playing = 0;
}

// Waiting messages first: the end of a file sound arrives as one. A quit
// message taken on the way is put back for the loop.
static void pumpMessages() {
  MSG m;
  bool quit = false;
  int exitCode = 0;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      quit = true;
      exitCode = (int)m.wParam;
      continue;
    }
    if (gLoopHooks.translateKeys(&m)) continue; /* shortcuts, as the loop takes them */
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  if (quit) PostQuitMessage(exitCode);
}

bool soundIsPlaying(SoundObject *s) {
  pumpMessages();
  return sound_is_image(s) ? soundimage_is_playing(s) : s->playing != 0;
}

int32_t SoundPanGetter(SoundObject *s, int32_t) { return s->pan; }
int32_t SoundVolumeGetter(SoundObject *s, int32_t) { return s->volume; }

void SoundPanSetter(SoundObject *s, int32_t, int32_t pan) {
  s->pan = std::clamp<int32_t>(pan, -kPanLimit, kPanLimit);
  sound_apply_volume(s);
}

void SoundVolumeSetter(SoundObject *s, int32_t, int32_t volume) {
  s->volume = std::clamp<int32_t>(volume, 0, kFullVolume);
  sound_apply_volume(s);
}
