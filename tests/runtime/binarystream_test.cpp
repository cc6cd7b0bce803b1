// Binary streams and the file object under them: every width in both byte
// orders, short reads at the end, PStrings, reads capped at the file's rest,
// SetLength both ways, a sparse file past 4 GB, reads and writes taking turns
// through the buffer, writes the file refuses, and temporary files.
#include "streamtest.h"
#include <climits>

namespace {

class BinaryStreamTest : public StreamTest {
protected:
  Object *stream(const std::string &name, FileOpen how, bool littleEndian = false) {
    Object *b = binary_stream_new(open(name, how));
    ((BinaryStream *)b)->littleEndian = littleEndian;
    return b;
  }
  std::string written(bool littleEndian, void (*write)(Object *)) {
    Ref b(stream("out.bin", FileOpen::Create, littleEndian));
    write(b);
    BinaryStreamClose(b);
    return contents("out.bin");
  }
};

TEST_F(BinaryStreamTest, EveryWidthInBothByteOrders) {
  struct {
    const char *name;
    void (*write)(Object *);
    std::string big, little;
  } const table[] = {
      {"Byte", [](Object *b) { BinaryStreamWriteByte(b, 0x1FE); }, "\xFE", "\xFE"},
      {"Short", [](Object *b) { BinaryStreamWriteShort(b, 258); }, "\1\2", "\2\1"},
      {"Long", [](Object *b) { BinaryStreamWriteLong(b, 0x01020304); }, "\1\2\3\4", "\4\3\2\1"},
      {"Float", [](Object *b) { BinaryStreamWriteFloat(b, 1.5); }, std::string("\x3F\xC0\0\0", 4),
       std::string("\0\0\xC0\x3F", 4)},
      {"Double", [](Object *b) { BinaryStreamWriteDouble(b, -2.0); },
       std::string("\xC0\0\0\0\0\0\0\0", 8), std::string("\0\0\0\0\0\0\0\xC0", 8)},
  };
  for (auto &t : table) {
    EXPECT_EQ(written(false, t.write), t.big) << t.name;
    EXPECT_EQ(written(true, t.write), t.little) << t.name;
  }
  for (bool little : {false, true}) {
    put("in.bin", little ? table[3].little + table[4].little : table[3].big + table[4].big);
    Ref b(stream("in.bin", FileOpen::Read, little));
    EXPECT_EQ(BinaryStreamReadFloat(b), 1.5);
    EXPECT_EQ(BinaryStreamReadDouble(b), -2.0);
    EXPECT_TRUE(BinaryStreamEOF(b));
  }
}

TEST_F(BinaryStreamTest, ReadsThatFindTooFewBytesGiveZero) {
  put("in.bin", "\xFF\xFF\1\2\3");
  Ref b(stream("in.bin", FileOpen::Read));
  EXPECT_EQ(BinaryStreamReadShort(b), -1);
  EXPECT_EQ(BinaryStreamReadLong(b), 0) << "three bytes are left";
  EXPECT_EQ(BinaryStreamReadByte(b), 0);
  EXPECT_EQ(BinaryStreamReadDouble(b), 0.0);
  BinaryStreamSetPosition(b, 0, 2);
  EXPECT_EQ(BinaryStreamReadByte(b), 1);
  EXPECT_EQ(BinaryStreamGetPosition(b), 3);
}

TEST_F(BinaryStreamTest, PStringsHoldAtMost255Bytes) {
  std::string long300(300, 'L');
  Ref b(stream("p.bin", FileOpen::Create));
  BinaryStreamWritePString(b, Text(long300));
  BinaryStreamWritePString(b, nullptr);
  BinaryStreamWritePString(b, Text("ab"));
  BinaryStreamSetPosition(b, 0, 0);
  EXPECT_EQ(take(BinaryStreamReadPString(b)), long300.substr(0, 255));
  EXPECT_EQ(take(BinaryStreamReadPString(b)), "");
  EXPECT_EQ(take(BinaryStreamReadPString(b)), "ab");
  EXPECT_EQ(BinaryStreamGetLength(b), 1 + 255 + 1 + 3);
  BinaryStreamWriteByte(b, 9); /* promises 9 bytes, none follow */
  BinaryStreamSetPosition(b, 0, 1 + 255 + 1 + 3);
  EXPECT_EQ(BinaryStreamReadPString(b), nullptr);
}

TEST_F(BinaryStreamTest, ReadIsCappedAtWhatTheFileHolds) {
  std::string bytes(70000, 'b');
  put("in.bin", bytes);
  Ref b(stream("in.bin", FileOpen::Read));
  EXPECT_EQ(BinaryStreamRead(b, 0), nullptr);
  EXPECT_EQ(BinaryStreamRead(b, -5), nullptr);
  EXPECT_EQ(take(BinaryStreamRead(b, 3)), "bbb");
  EXPECT_EQ(take(BinaryStreamRead(b, INT_MAX)), bytes.substr(3)) << "no 2 GB allocation";
  EXPECT_EQ(BinaryStreamRead(b, 10), nullptr);
}

TEST_F(BinaryStreamTest, SetLengthCutsAndExtendsAndKeepsThePosition) {
  Ref b(stream("len.bin", FileOpen::Create));
  BinaryStreamWrite(b, Text("0123456789"));
  BinaryStreamSetPosition(b, 0, 6);
  BinaryStreamSetLength(b, 0, 4);
  EXPECT_EQ(contents("len.bin"), "0123");
  EXPECT_EQ(BinaryStreamGetPosition(b), 6);
  EXPECT_TRUE(BinaryStreamEOF(b));
  BinaryStreamSetLength(b, 0, 8);
  EXPECT_EQ(contents("len.bin"), std::string("0123\0\0\0\0", 8));
  EXPECT_EQ(BinaryStreamGetLength(b), 8);
  EXPECT_EQ(BinaryStreamGetPosition(b), 6);
  EXPECT_EQ(((BinaryStream *)b.get())->lastError, 0);
}

TEST_F(BinaryStreamTest, SparseFilePast4GBKeepsItsLengthAndClampsTheProperties) {
  const int64_t fiveGB = 5LL << 30;
  Ref b(stream("big.bin", FileOpen::Create));
  FileObject *f = ((BinaryStream *)b.get())->file;
  ASSERT_TRUE(file_set_length(f, fiveGB));
  EXPECT_EQ(file_length(f), fiveGB);
  EXPECT_EQ(BinaryStreamGetLength(b), INT32_MAX);
  ASSERT_TRUE(file_seek(f, fiveGB - 1));
  BinaryStreamWriteByte(b, 7);
  EXPECT_EQ(BinaryStreamGetPosition(b), INT32_MAX);
  ASSERT_TRUE(file_seek(f, fiveGB - 1));
  EXPECT_EQ(BinaryStreamReadByte(b), 7);
  EXPECT_EQ(file_length(f), fiveGB);
}

TEST_F(BinaryStreamTest, ReadsAndWritesTakeTurnsThroughOneBuffer) {
  std::string big(200000, '.');
  put("rw.bin", big);
  Ref b(stream("rw.bin", FileOpen::ReadWrite));
  EXPECT_EQ(BinaryStreamReadByte(b), '.');
  BinaryStreamWriteByte(b, 'W'); /* after a read: at 1, not after the bytes read ahead */
  EXPECT_EQ(BinaryStreamReadByte(b), '.');
  BinaryStreamSetPosition(b, 0, 150000);
  BinaryStreamWrite(b, Text(std::string(70000, 'x'))); /* past the buffer and the end */
  EXPECT_EQ(BinaryStreamGetLength(b), 220000);
  BinaryStreamSetPosition(b, 0, 0);
  EXPECT_EQ(take(BinaryStreamRead(b, 3)), ".W.");
  BinaryStreamClose(b);
  big[1] = 'W';
  EXPECT_EQ(contents("rw.bin"), big.substr(0, 150000) + std::string(70000, 'x'));
}

TEST_F(BinaryStreamTest, RefusedWriteIsReportedAndNothingAfterItIsWritten) {
  put("ro.bin", "ro");
  Ref b(stream("ro.bin", FileOpen::Read));
  BinaryStreamWriteLong(b, 1);
  BinaryStreamSetLength(b, 0, 0);
  EXPECT_EQ(((BinaryStream *)b.get())->lastError, ERROR_ACCESS_DENIED);
  EXPECT_EQ(contents("ro.bin"), "ro");

  FileObject *f = open("w.bin", FileOpen::Create);
  f->writeFailed = 1; /* as after a full disk */
  EXPECT_FALSE(file_write(f, "late", 4));
  file_destroy(f);
  EXPECT_EQ(contents("w.bin"), "");
}

TEST_F(BinaryStreamTest, CallsAfterCloseAnswerNothing) {
  Ref b(stream("c.bin", FileOpen::Create));
  BinaryStreamWriteLong(b, 5);
  BinaryStreamClose(b);
  BinaryStreamClose(b);
  BinaryStreamWriteLong(b, 6);
  BinaryStreamSetLength(b, 0, 100);
  BinaryStreamSetPosition(b, 0, 2);
  EXPECT_EQ(BinaryStreamReadLong(b), 0);
  EXPECT_EQ(BinaryStreamRead(b, 4), nullptr);
  EXPECT_EQ(BinaryStreamGetLength(b), 0);
  EXPECT_EQ(BinaryStreamGetPosition(b), 0);
  EXPECT_TRUE(BinaryStreamEOF(b));
  EXPECT_EQ(contents("c.bin"), std::string("\0\0\0\5", 4));
}

TEST_F(BinaryStreamTest, TemporaryFileGoesWithItsObject) {
  FileObject *f = file_open_temporary();
  ASSERT_NE(f, nullptr);
  std::string name = str_cview(f->tempPath);
  EXPECT_NE(name.find("qxt"), std::string::npos);
  EXPECT_TRUE(file_write(f, "t", 1));
  EXPECT_NE(GetFileAttributesA(name.c_str()), INVALID_FILE_ATTRIBUTES);
  file_destroy(f);
  EXPECT_EQ(GetFileAttributesA(name.c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
