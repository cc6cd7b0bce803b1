// Sounds: the Sound record, the volume word shared by the wave output and
// the multimedia devices, file sounds played by the multimedia command
// interface and sounds carried in the image played by DirectSound buffers.
#pragma once
#include "objects/objects.h"
#include <cstddef>
#include <cstdint>
#include <windows.h>
#include <mmsystem.h>

struct IDirectSoundBuffer;

struct SoundObject {
  Object header;              // 0
  uint32_t dataLength;        // 16: bytes of 8-bit samples (image sounds)
  const uint8_t *data;        // 20: the samples, inside the data block (image sounds)
  IDirectSoundBuffer *buffer; // 24: made by the first play (image sounds)
  int32_t alias;              // 28: the multimedia alias number (file sounds), -1 when none
  uint8_t playing;            // 32
  uint8_t looping;            // 33
  uint8_t spare[2];           // 34
  int32_t pan;                // 36: -100 (left) to 100 (right)
  int32_t volume;             // 40: 0 to 100
  Object *item;               // 44: the FolderItem played (file sounds), locked
  HWND window;                // 48: the notification window (file sounds)
  SoundObject *nextBuffered;  // 52: the next image sound holding a buffer
  int32_t reserved;           // 56
};
static_assert(offsetof(SoundObject, dataLength) == 16 && offsetof(SoundObject, data) == 20);
static_assert(offsetof(SoundObject, buffer) == 24 && offsetof(SoundObject, alias) == 28);
static_assert(offsetof(SoundObject, playing) == 32 && offsetof(SoundObject, looping) == 33);
static_assert(offsetof(SoundObject, pan) == 36 && offsetof(SoundObject, volume) == 40);
static_assert(offsetof(SoundObject, item) == 44 && offsetof(SoundObject, window) == 48);
static_assert(sizeof(SoundObject) == 60);

enum : int32_t { kNoAlias = -1, kFullVolume = 100, kPanLimit = 100 };

// The Sound and NotePlayer classes' constructors and destructors, and the
// loop's shutdown hook.
void sound_classes_attach();

// The volume word for a Volume (0..100) and Pan (-100..100): the right
// channel's level in the high 16 bits, the left one's in the low 16 bits.
uint32_t sound_volume_word(int32_t volume, int32_t pan);
// The wave-output volume of the default device, as the platform reads and
// sets it: a table that a test may replace, since Wine refuses a device
// number where the platform takes one.
struct WaveVolume {
  MMRESULT (*get)(DWORD *word);
  MMRESULT (*set)(DWORD word);
};
extern WaveVolume gWaveVolume;           // the table in use
extern const WaveVolume kRealWaveVolume; // the platform's own

// Sets the word as the wave-output volume of the default device and as the
// MIDI output volume of the device behind the sound's alias.
void sound_apply_volume(const SoundObject *s);
// The wave-output volume as it was before the first Sound changed it, and
// putting it back (done at shutdown; a later Sound saves it afresh).
void sound_save_volume();
void sound_restore_volume();

// A Sound for the sound data carried in the image at `data`, with `available`
// bytes of the data block from there on: a RIFF WAVE file of 8-bit mono
// samples at 22,050 per second. Data that is not such a file, or runs past
// the block, gives a Sound with no samples, which plays nothing.
Object *sound_image_new(const uint8_t *data, uint32_t available);
// The samples of a RIFF WAVE file of 8-bit mono PCM at 22,050 per second
// lying within `available` bytes; false when it is not one or is cut short.
bool sound_wave_samples(const uint8_t *data, uint32_t available, uint32_t *offset,
                        uint32_t *length);

// File sounds (soundfile.cpp).
void soundfile_play(SoundObject *s, bool looping);
void soundfile_stop(SoundObject *s);
void soundfile_release(SoundObject *s);          // the destructor's part: device and window
void soundfile_shut_down();                      // "close all" when a file sound is open
uint32_t soundfile_device(const SoundObject *s); // the multimedia device of its alias, or 0

// Image sounds (soundimage.cpp).
void soundimage_play(SoundObject *s, bool looping);
void soundimage_stop(SoundObject *s);
bool soundimage_is_playing(SoundObject *s);
void soundimage_release(SoundObject *s);
void soundimage_shut_down(); // releases the DirectSound object

// Registers the window class `name` with its procedure once; the module's
// instance, for making windows of it.
HINSTANCE sound_window_class(const char *name, WNDPROC procedure);

inline bool sound_is_image(const SoundObject *s) { return s->item == nullptr; }

extern "C" {
Object *FolderItemOpenSound(Object *item);
void soundPlay(SoundObject *s);
void soundPlayLooping(SoundObject *s);
void soundStop(SoundObject *s);
bool soundIsPlaying(SoundObject *s);
int32_t SoundPanGetter(SoundObject *s, int32_t);
void SoundPanSetter(SoundObject *s, int32_t, int32_t pan);
int32_t SoundVolumeGetter(SoundObject *s, int32_t);
void SoundVolumeSetter(SoundObject *s, int32_t, int32_t volume);
}
