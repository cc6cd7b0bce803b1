// Note players through the MIDI output seam (the test bed has no MIDI
// device): the device opened by the first player and closed with the last,
// channels taken lowest first with none for a seventeenth player, the bytes
// of note-on, note-off and program change, and 7-bit values enforced.
#include "devices/noteplayer.h"
#include "raises.h"
#include "variants.h"
#include <vector>

namespace {

struct Seen {
  int opens = 0, closes = 0;
  std::vector<DWORD> messages;
} gSeen;

HMIDIOUT const kDevice = (HMIDIOUT)(uintptr_t)0x4D1D;

MMRESULT seenOpen(HMIDIOUT *out, UINT device) {
  gSeen.opens++;
  EXPECT_EQ(device, 0u);
  *out = kDevice;
  return MMSYSERR_NOERROR;
}
MMRESULT seenMessage(HMIDIOUT out, DWORD message) {
  EXPECT_EQ(out, kDevice);
  gSeen.messages.push_back(message);
  return MMSYSERR_NOERROR;
}
MMRESULT seenClose(HMIDIOUT out) {
  EXPECT_EQ(out, kDevice);
  gSeen.closes++;
  return MMSYSERR_NOERROR;
}

class NotePlayerTest : public PoolCheckedTest {
protected:
  void SetUp() override {
    PoolCheckedTest::SetUp();
    gSeen = Seen();
    gMidiOutput = {seenOpen, seenMessage, seenClose};
  }
  void TearDown() override {
    gMidiOutput = kRealMidiOutput;
    PoolCheckedTest::TearDown();
  }
  static NotePlayerObject *player() {
    return (NotePlayerObject *)CreateInstance(registry_find("NotePlayer"));
  }
  static void release(NotePlayerObject *p) { RuntimeUnlockObject(&p->control.header); }
};

TEST_F(NotePlayerTest, PlayersTakeTheLowestFreeChannelAndASeventeenthPlaysNothing) {
  std::vector<NotePlayerObject *> players;
  for (int i = 0; i < 17; i++) players.push_back(player());
  EXPECT_EQ(gSeen.opens, 1) << "one device for all players";
  for (int i = 0; i < 16; i++) {
    EXPECT_TRUE(players[i]->held);
    EXPECT_EQ(players[i]->channel, i);
  }
  EXPECT_FALSE(players[16]->held);

  notePlayerPlayNote(players[0], 60, 100);
  notePlayerPlayNote(players[5], 61, 1);
  notePlayerPlayNote(players[15], 127, 127);
  notePlayerPlayNote(players[16], 62, 100);
  notePlayerInstrumentSetter(players[16], 0, 9);
  EXPECT_EQ(gSeen.messages, (std::vector<DWORD>{0x643C90, 0x013D95, 0x7F7F9F}));

  release(players[3]);
  NotePlayerObject *again = player();
  EXPECT_EQ(again->channel, 3) << "a freed channel is taken again";
  for (NotePlayerObject *p : players)
    if (p != players[3]) release(p);
  EXPECT_EQ(gSeen.closes, 0) << "a player is still alive";
  release(again);
  EXPECT_EQ(gSeen.closes, 1);
  EXPECT_EQ(gSeen.opens, 1);
}

TEST_F(NotePlayerTest, VelocityZeroEndsTheNoteAndInstrumentSendsAProgramChangeOnlyWhenChanged) {
  NotePlayerObject *first = player(), *second = player();
  notePlayerPlayNote(second, 64, 90);
  notePlayerPlayNote(second, 64, 0);
  notePlayerInstrumentSetter(second, 0, 24);
  notePlayerInstrumentSetter(second, 0, 24); /* unchanged: nothing */
  notePlayerInstrumentSetter(first, 0, 0);   /* unchanged from the start */
  EXPECT_EQ(second->instrument, 24);
  EXPECT_EQ(gSeen.messages, (std::vector<DWORD>{0x5A4091, 0x404081, 0x18C1}));
  release(first);
  release(second);
}

// A value above 127 would spill into the next byte's status bit.
TEST_F(NotePlayerTest, NotesVelocitiesAndInstrumentsOutside7BitsRaiseAndSendNothing) {
  NotePlayerObject *p = player();
  Catcher catcher;
  struct {
    const void *entry;
    Words args;
  } cases[] = {
      {(const void *)notePlayerPlayNote, Words()(p)(128)(100)},
      {(const void *)notePlayerPlayNote, Words()(p)(-1)(100)},
      {(const void *)notePlayerPlayNote, Words()(p)(60)(200)},
      {(const void *)notePlayerPlayNote, Words()(p)(60)(-3)},
      {(const void *)notePlayerInstrumentSetter, Words()(p)(0)(128)},
      {(const void *)notePlayerInstrumentSetter, Words()(p)(0)(-1)},
  };
  for (auto &c : cases) EXPECT_EQ(catcher.raised(c.entry, c.args), "OutOfBoundsException");
  EXPECT_TRUE(gSeen.messages.empty());
  EXPECT_EQ(p->instrument, 0);
  release(p);
}

TEST_F(NotePlayerTest, WithoutAMidiDevicePlayersKeepTheirChannelsAndSendNothing) {
  gMidiOutput.open = [](HMIDIOUT *, UINT) -> MMRESULT { return MMSYSERR_NODRIVER; };
  NotePlayerObject *p = player();
  EXPECT_TRUE(p->held);
  notePlayerPlayNote(p, 60, 100);
  notePlayerInstrumentSetter(p, 0, 5);
  EXPECT_TRUE(gSeen.messages.empty());
  release(p);
  EXPECT_EQ(gSeen.closes, 0);
}

} // namespace
