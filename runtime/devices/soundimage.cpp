// Sounds carried in the image: their data (a RIFF WAVE file of 8-bit mono
// samples at 22,050 per second, checked against the data block), the one
// DirectSound object and its cooperation window, and a secondary buffer per
// sound made by its first play.
#include "devices/sound.h"
#include "objects/registry.h"
#include "ui/mdi.h"
#include "ui/nativewindow.h"
#include <cstring>
#include <mmsystem.h>
#include <dsound.h>

enum : uint32_t { kSampleRate = 22050, kWaveHeader = 12, kChunkHeader = 8, kPcm = 1 };

static IDirectSound *directSound; // made by the first play of an image sound
static SoundObject *buffered;     // the sounds holding a buffer of it, linked by nextBuffered
static HWND soundWindow;          // "QXSoundWnd", when no window of the application exists

/* ---- the data ---- */

static uint32_t le32(const uint8_t *b) {
  return b[0] | b[1] << 8 | b[2] << 16 | (uint32_t)b[3] << 24;
}
static uint16_t le16(const uint8_t *b) { return (uint16_t)(b[0] | b[1] << 8); }

// The format chunk of the one kind of sample data a buffer is made for.
static bool playableFormat(const uint8_t *chunk, uint32_t size) {
  return size >= 16 && le16(chunk) == kPcm && le16(chunk + 2) == 1 &&
         le32(chunk + 4) == kSampleRate && le16(chunk + 14) == 8;
}

// Walks the chunks of the file, whose own length word bounds them; every
// length is checked before it is added, so that none can wrap.
bool sound_wave_samples(const uint8_t *b, uint32_t available, uint32_t *offset, uint32_t *length) {
  if (available < kWaveHeader || memcmp(b, "RIFF", 4) || memcmp(b + 8, "WAVE", 4)) return false;
  uint32_t riff = le32(b + 4);
  if (riff > available - 8) return false; /* runs past the block */
  uint32_t end = riff + 8, at = kWaveHeader;
  bool formatSeen = false;
  while (end - at >= kChunkHeader) {
    uint32_t size = le32(b + at + 4), body = at + kChunkHeader;
    if (size > end - body) return false;
    if (!memcmp(b + at, "fmt ", 4)) {
      if (!playableFormat(b + body, size)) return false;
      formatSeen = true;
    } else if (!memcmp(b + at, "data", 4)) {
      *offset = body;
      *length = size;
      return formatSeen;
    }
    at = body + size + (size & 1);
    if (at > end) return false;
  }
  return false;
}

Object *sound_image_new(const uint8_t *data, uint32_t available) {
  ClassDef *cls = registry_find("Sound");
  if (!cls) return nullptr;
  SoundObject *s = (SoundObject *)CreateInstance(cls);
  uint32_t offset, length;
  if (sound_wave_samples(data, available, &offset, &length)) {
    s->data = data + offset;
    s->dataLength = length;
  }
  return &s->header;
}

/* ---- the DirectSound object ---- */

// The window DirectSound cooperates with: the frame in MDI mode, else a
// window of the application, else a hidden one of its own.
static HWND cooperationWindow() {
  if (HWND frame = mdi_frame()) return frame;
  for (View *v = gWindowList; v; v = v->next)
    if (v->pane.hwnd) return v->pane.hwnd;
  if (!soundWindow)
    soundWindow =
        CreateWindowExA(0, "QXSoundWnd", "", WS_POPUP, -100, -100, 20, 20, nullptr, nullptr,
                        sound_window_class("QXSoundWnd", DefWindowProcA), nullptr);
  return soundWindow;
}

static IDirectSound *device() {
  if (directSound) return directSound;
  if (DirectSoundCreate(nullptr, &directSound, nullptr) != DS_OK) {
    directSound = nullptr; /* no audio device: image sounds stay silent */
    return nullptr;
  }
  directSound->SetCooperativeLevel(cooperationWindow(), DSSCL_NORMAL);
  return directSound;
}

static IDirectSoundBuffer *makeBuffer(IDirectSound *ds, const SoundObject *s) {
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 1;
  format.nSamplesPerSec = kSampleRate;
  format.nAvgBytesPerSec = kSampleRate;
  format.nBlockAlign = 1;
  format.wBitsPerSample = 8;
  DSBUFFERDESC desc = {};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
  desc.dwBufferBytes = s->dataLength;
  desc.lpwfxFormat = &format;
  IDirectSoundBuffer *buffer = nullptr;
  if (ds->CreateSoundBuffer(&desc, &buffer, nullptr) != DS_OK) return nullptr;
  void *part[2];
  DWORD bytes[2];
  if (buffer->Lock(0, s->dataLength, &part[0], &bytes[0], &part[1], &bytes[1], 0) != DS_OK) {
    buffer->Release();
    return nullptr;
  }
  memcpy(part[0], s->data, bytes[0]);
  if (part[1]) memcpy(part[1], s->data + bytes[0], bytes[1]);
  buffer->Unlock(part[0], bytes[0], part[1], bytes[1]);
  return buffer;
}

/* ---- playing ---- */

void soundimage_play(SoundObject *s, bool looping) {
  if (!s->dataLength) return;
  IDirectSound *ds = device();
  if (!ds) return;
  if (!s->buffer) {
    if (!(s->buffer = makeBuffer(ds, s))) return;
    s->nextBuffered = buffered;
    buffered = s;
  }
  sound_apply_volume(s);
  if (!soundimage_is_playing(s)) s->buffer->SetCurrentPosition(0); /* from the start again */
  if (s->buffer->Play(0, 0, looping ? DSBPLAY_LOOPING : 0) != DS_OK) return;
  s->looping = looping;
  s->playing = 1;
}

void soundimage_stop(SoundObject *s) {
  if (s->buffer) s->buffer->Stop();
}

bool soundimage_is_playing(SoundObject *s) {
  DWORD status = 0;
  return s->buffer && s->buffer->GetStatus(&status) == DS_OK && (status & DSBSTATUS_PLAYING);
}

void soundimage_release(SoundObject *s) {
  if (!s->buffer) return;
  s->buffer->Stop();
  s->buffer->Release();
  s->buffer = nullptr;
  for (SoundObject **link = &buffered; *link; link = &(*link)->nextBuffered)
    if (*link == s) {
      *link = s->nextBuffered;
      break;
    }
}

// The buffers go before the object that made them: releasing it frees them,
// and a sound released later must not touch its buffer again.
void soundimage_shut_down() {
  while (buffered) soundimage_release(buffered);
  if (directSound) directSound->Release();
  directSound = nullptr;
  if (soundWindow) DestroyWindow(soundWindow);
  soundWindow = nullptr;
}
