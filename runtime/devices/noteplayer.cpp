// Note players: the MIDI output device opened by the first NotePlayer and
// closed with the last, the lowest free of its sixteen channels taken by each
// player, note-on and note-off, and the program change of Instrument.
#include "devices/noteplayer.h"
#include "lifecycle/exception.h"
#include "objects/registry.h"

static MMRESULT realOpen(HMIDIOUT *out, UINT device) {
  return midiOutOpen(out, device, 0, 0, CALLBACK_NULL);
}
static MMRESULT realShortMessage(HMIDIOUT out, DWORD message) {
  return midiOutShortMsg(out, message);
}
static MMRESULT realClose(HMIDIOUT out) { return midiOutClose(out); }
const MidiOutput kRealMidiOutput = {realOpen, realShortMessage, realClose};
MidiOutput gMidiOutput = kRealMidiOutput;

static HMIDIOUT output; // nil when no device opened
static int32_t players; // live note players
static bool channelTaken[kMidiChannels];

static void send(NotePlayerObject *p, uint8_t status, uint8_t first, uint8_t second = 0) {
  if (output) gMidiOutput.shortMessage(output, midi_message(status | p->channel, first, second));
}

// Note numbers, velocities and programs are 7-bit: a larger one would spill
// into the status bit of the message.
static void checkData(int32_t value) {
  if (value < 0 || value > kMidiDataMax) exception_throw("OutOfBoundsException");
}

static void makePlayer(Object *o, ClassDef *) {
  NotePlayerObject *p = (NotePlayerObject *)o;
  if (players++ == 0 && gMidiOutput.open(&output, 0) != MMSYSERR_NOERROR) output = nullptr;
  for (int16_t c = 0; c < kMidiChannels; c++)
    if (!channelTaken[c]) {
      channelTaken[c] = true;
      p->channel = c;
      p->held = 1;
      p->active = 1;
      return;
    }
}

static void destroyPlayer(Object *o, ClassDef *) {
  NotePlayerObject *p = (NotePlayerObject *)o;
  if (p->held) channelTaken[p->channel] = false;
  p->held = p->active = 0;
  if (--players == 0 && output) {
    gMidiOutput.close(output);
    output = nullptr;
  }
}

void noteplayer_classes_attach() {
  if (ClassDef *cls = registry_find("NotePlayer")) {
    cls->constructor = makePlayer;
    cls->destructor = destroyPlayer;
  }
}

void notePlayerPlayNote(NotePlayerObject *p, int32_t note, int32_t velocity) {
  checkData(note);
  checkData(velocity);
  if (!p->held) return; /* a seventeenth player plays nothing */
  if (velocity)
    send(p, kNoteOn, (uint8_t)note, (uint8_t)velocity);
  else
    send(p, kNoteOff, (uint8_t)note, kNoteOffVelocity);
}

void notePlayerInstrumentSetter(NotePlayerObject *p, int32_t, int32_t instrument) {
  checkData(instrument);
  if (instrument == p->instrument) return;
  p->instrument = instrument;
  if (p->active && p->held) send(p, kProgramChange, (uint8_t)instrument);
}
