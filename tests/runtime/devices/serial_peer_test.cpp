// Serial traffic against the peer end of the pseudo-terminal pair: bytes both
// ways with DataAvailable, reads by count, a tick's cap under a peer that
// never pauses, a write that the peer stops taking, a peer that goes away,
// and controls released inside their own DataAvailable.
#include "serialtest.h"
#include <atomic>
#include <thread>

namespace {

using namespace serialtest;

class SerialPeerTest : public SerialTest {
protected:
  Peer peer;
  void SetUp() override {
    SerialTest::SetUp();
    ASSERT_TRUE(peer.open());
  }
};

std::string pattern(size_t n) {
  std::string s(n, 0);
  for (size_t i = 0; i < n; i++) s[i] = (char)(i * 7 + i / 251); /* every byte value, no period */
  return s;
}

TEST_F(SerialPeerTest, BytesGoBothWaysAndArrivalsRaiseDataAvailable) {
  SerialObject *s = make();
  RString *hello = str_from("hello\r\n\0x");
  EXPECT_EQ(serialWrite(s, hello), 7); /* opens the port first */
  RuntimeUnlockString(hello);
  EXPECT_TRUE(s->open);
  EXPECT_EQ(peer.receive(7), "hello\r\n");

  std::string got;
  gOnData = [&](SerialObject *o) { got += text(serialReadAll(o)); };
  ASSERT_TRUE(peer.send(std::string("wor\0ld", 6)));
  EXPECT_TRUE(tickUntil([&] { return got.size() >= 6; }));
  EXPECT_EQ(got, std::string("wor\0ld", 6));
  EXPECT_GE(gArrivals, 1);
  int arrivals = gArrivals;
  tickUntil([] { return false; }, 200);
  EXPECT_EQ(gArrivals, arrivals) << "raised again with nothing new";
  serialClose(s);
  release(s);
}

TEST_F(SerialPeerTest, ReadTakesTheCountAskedAndNoMore) {
  SerialObject *s = make();
  ASSERT_TRUE(serialOpen(s));
  ASSERT_TRUE(peer.send("abcdefgh"));
  tickUntil([&] { return str_len(s->received) == 8; });
  EXPECT_EQ(text(serialRead(s, 3)), "abc");
  EXPECT_FALSE(serialRead(s, 0));
  EXPECT_FALSE(serialRead(s, -4)); /* a negative count reads nothing */
  EXPECT_EQ(text(serialRead(s, 100)), "defgh");
  EXPECT_FALSE(s->received);
  ASSERT_TRUE(peer.send("zz"));
  tickUntil([&] { return str_len(s->received) == 2; });
  serialFlush(s);
  EXPECT_FALSE(serialReadAll(s));
  serialClose(s);
  release(s);
}

TEST_F(SerialPeerTest, LargeTransfersArriveWholeInBothDirections) {
  SerialObject *s = make();
  ASSERT_TRUE(serialOpen(s));
  const std::string out = pattern(300000);
  std::string heard;
  std::thread reader([&] { heard = peer.receive(out.size()); });
  RString *o = str_make(out.data(), (int32_t)out.size());
  EXPECT_EQ(serialWrite(s, o), (int32_t)out.size());
  RuntimeUnlockString(o);
  reader.join();
  EXPECT_TRUE(heard == out) << heard.size() << " of " << out.size();

  const std::string in = pattern(200000).substr(17);
  std::string got;
  gOnData = [&](SerialObject *x) { got += text(serialReadAll(x)); };
  std::thread writer([&] { peer.send(in); });
  tickUntil([&] { return got.size() >= in.size(); }, 30000);
  writer.join();
  EXPECT_TRUE(got == in) << got.size() << " of " << in.size();
  serialClose(s);
  release(s);
}

TEST_F(SerialPeerTest, ATickTakesNoMoreThanItsCapFromAPeerThatNeverPauses) {
  SerialObject *s = make();
  ASSERT_TRUE(serialOpen(s));
  std::atomic<bool> going{true};
  std::atomic<size_t> sent{0};
  const std::string block = pattern(4096);
  std::thread writer([&] {
    for (size_t n = block.size(); going && n == block.size(); sent += n) n = peer.write(block);
  });
  Sleep(200);
  for (int i = 0; i < 20; i++) {
    int32_t before = str_len(s->received);
    serialTick(s);
    EXPECT_LE(str_len(s->received) - before, kSerialTickCap);
  }
  going = false;
  writer.join();
  tickUntil([&] { return (size_t)str_len(s->received) >= sent; });
  EXPECT_EQ((size_t)str_len(s->received), (size_t)sent) << "bytes lost or invented";
  serialClose(s);
  release(s);
}

TEST_F(SerialPeerTest, AWriteThePeerStopsTakingEndsWithinItsTimeOut) {
  SerialObject *s = make(2, 13);
  ASSERT_TRUE(serialOpen(s));
  const std::string big = pattern(4 << 20); /* far more than the pair buffers */
  RString *b = str_make(big.data(), (int32_t)big.size());
  DWORD start = GetTickCount();
  int32_t written = serialWrite(s, b);
  DWORD took = GetTickCount() - start;
  RuntimeUnlockString(b);
  EXPECT_GT(written, 0);
  EXPECT_LT(written, (int32_t)big.size());
  EXPECT_NE(s->lastError, 0);
  EXPECT_LT(took, 30000u);
  EXPECT_LE(peer.settle(), (size_t)written);
  serialClose(s);
  release(s);
}

TEST_F(SerialPeerTest, APeerThatGoesAwayLeavesWritesShortAndTicksQuiet) {
  SerialPortObject *p = (SerialPortObject *)CreateInstance(registry_find("SerialPort"));
  p->name = str_from(serial_bed_path("gone").c_str());
  SerialObject *s = make();
  setNamed(s, p);
  RuntimeUnlockObject(&p->header);
  ASSERT_TRUE(serialOpen(s));
  RString *bye = str_from("bye"); /* its peer reads three bytes and ends */
  EXPECT_EQ(serialWrite(s, bye), 3);
  RuntimeUnlockString(bye);
  RString *more = str_from("more");
  int32_t written = 4;
  for (int i = 0; i < 100 && written == 4; i++) {
    Sleep(100);
    written = serialWrite(s, more);
  }
  RuntimeUnlockString(more);
  EXPECT_LT(written, 4);
  EXPECT_NE(s->lastError, 0);
  gLoopHooks.tickSerialPorts();
  EXPECT_FALSE(serialReadAll(s));
  EXPECT_EQ(gArrivals, 0);
  serialClose(s);
  release(s);
}

TEST_F(SerialPeerTest, ControlsReleasedInsideTheirOwnHandlerLiveToTheEndOfTheWalk) {
  SerialObject *a = make(), *b = make();
  ASSERT_TRUE(serialOpen(a));
  ASSERT_TRUE(serialOpen(b)); /* a second handle on the same end: it hears nothing here */
  int calls = 0;
  gOnData = [&](SerialObject *o) { /* whichever of the two took the byte */
                                   calls++;
                                   serialClose(o == a ? b : a);
                                   release(a); /* the walk still holds both */
                                   release(b);
                                   EXPECT_EQ(o->open, 1);
                                   text(serialReadAll(o));
  };
  ASSERT_TRUE(peer.send("x"));
  tickUntil([&] { return calls > 0; });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(describe::live_instances(&serial), 0);
  EXPECT_EQ(serial_open_count(), 0);
}

} // namespace
