// Note players: the NotePlayer control, the MIDI output device they share,
// its sixteen channels, and the table of MIDI output calls that a test may
// replace to see the bytes sent (the test bed has no MIDI device).
#pragma once
#include "ui/control.h"
#include <mmsystem.h>

struct NotePlayerObject {
  ControlObject control; // 0, 92 bytes: a Control without a pane
  int16_t channel;       // 92: 0..15 while held
  uint8_t held;          // 94: the player holds its channel
  uint8_t active;        // 95: program changes reach the device
  int32_t instrument;    // 96: the Instrument property
  int32_t spare;         // 100
};
static_assert(offsetof(NotePlayerObject, channel) == 92);
static_assert(offsetof(NotePlayerObject, held) == 94 && offsetof(NotePlayerObject, active) == 95);
static_assert(offsetof(NotePlayerObject, instrument) == 96);
static_assert(sizeof(NotePlayerObject) == 104);

// The MIDI output calls, as the platform makes them.
struct MidiOutput {
  MMRESULT (*open)(HMIDIOUT *out, UINT device);
  MMRESULT (*shortMessage)(HMIDIOUT out, DWORD message);
  MMRESULT (*close)(HMIDIOUT out);
};
extern MidiOutput gMidiOutput;           // the table in use
extern const MidiOutput kRealMidiOutput; // the platform's own

enum : int32_t { kMidiChannels = 16, kMidiDataMax = 127, kNoteOffVelocity = 64 };
enum : uint8_t { kNoteOff = 0x80, kNoteOn = 0x90, kProgramChange = 0xC0 };

// A short message of a status byte and up to two data bytes, packed as the
// platform takes it: status in the low byte.
inline DWORD midi_message(uint8_t status, uint8_t first, uint8_t second = 0) {
  return status | (DWORD)first << 8 | (DWORD)second << 16;
}

void noteplayer_classes_attach(); // the NotePlayer class's constructor and destructor

extern "C" {
void notePlayerPlayNote(NotePlayerObject *player, int32_t note, int32_t velocity);
void notePlayerInstrumentSetter(NotePlayerObject *player, int32_t, int32_t instrument);
}
