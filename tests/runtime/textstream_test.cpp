// Text streams as compiled code sees them: lines ended by CR, LF or CR LF,
// also where CR and LF straddle a refill, ReadAll after ReadLine, the output
// delimiter, appending, calls after Close, and the guarantees that a stream
// never closed still writes out and lets go of its file.
#include "streamtest.h"

namespace {

class TextStreamTest : public StreamTest {
protected:
  std::vector<std::string> lines(const std::string &bytes) {
    put("in.txt", bytes);
    Ref in(text_input_stream_new(open("in.txt", FileOpen::Read)));
    std::vector<std::string> read;
    while (!TextInputStreamEOF(in) && read.size() < 10)
      read.push_back(take(TextInputStreamReadLine(in)));
    EXPECT_EQ(TextInputStreamReadLine(in), nullptr) << "the end reads as the empty string";
    return read;
  }
};

using Lines = std::vector<std::string>;

TEST_F(TextStreamTest, EveryEndOfLineEndsOneLine) {
  const std::string x1023(1023, 'x'), p(5000, 'p'), q(5000, 'q');
  struct {
    std::string bytes;
    Lines expected;
  } const table[] = {
      {"a\r\nb", {"a", "b"}},
      {"a\r\rb", {"a", "", "b"}},
      {"a\n\nb\n", {"a", "", "b"}},
      {x1023 + "\r\ny", {x1023, "y"}}, /* CR is byte 1024 and LF byte 1025 */
      {x1023 + "\r", {x1023}},         /* a final CR as the buffer's last byte */
      {"a\r", {"a"}},
      {"no end of line", {"no end of line"}},
      {"", {}},
      {p + "\r\n" + q + "\n", {p, q}}, /* lines longer than several refills */
  };
  for (auto &t : table) EXPECT_EQ(lines(t.bytes), t.expected) << t.bytes.substr(0, 20);
}

TEST_F(TextStreamTest, ReadAllAfterReadLineGivesTheBufferedRestFirst) {
  std::string rest = "two\r\n" + std::string(100000, 'r') + "\r\nend"; /* past both buffers */
  put("in.txt", "one\r\n" + rest);
  Ref in(text_input_stream_new(open("in.txt", FileOpen::Read)));
  EXPECT_EQ(take(TextInputStreamReadLine(in)), "one");
  EXPECT_EQ(take(TextInputStreamReadAll(in)), rest);
  EXPECT_TRUE(TextInputStreamEOF(in));
  EXPECT_EQ(TextInputStreamReadAll(in), nullptr);
}

TEST_F(TextStreamTest, WriteLineEndsWithTheDelimiterOrCrLf) {
  Ref out(text_output_stream_new(open("out.txt", FileOpen::Create)));
  RString **delimiter = &((TextOutputStream *)out.get())->delimiter;
  TextOutputStreamWriteLine(out, Text("a"));
  str_assign(delimiter, Text("\r"));
  TextOutputStreamWriteLine(out, Text("b"));
  TextOutputStreamWrite(out, Text("c"));
  str_assign(delimiter, Text("")); /* empty: CR LF again */
  TextOutputStreamWriteLine(out, nullptr);
  TextOutputStreamClose(out);
  EXPECT_EQ(contents("out.txt"), "a\r\nb\rc\r\n");
  EXPECT_EQ(((TextOutputStream *)out.get())->lastError, 0);
}

TEST_F(TextStreamTest, AppendKeepsTheContents) {
  put("log.txt", "old\r\n");
  FileObject *f = open("log.txt", FileOpen::OpenOrCreate);
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(f->flags & kFileCreated);
  file_seek(f, file_length(f));
  Ref out(text_output_stream_new(f));
  TextOutputStreamWriteLine(out, Text("new"));
  TextOutputStreamClose(out);
  EXPECT_EQ(contents("log.txt"), "old\r\nnew\r\n");
}

TEST_F(TextStreamTest, CallsAfterCloseDoNothing) {
  put("in.txt", "a\r\nb");
  Ref in(text_input_stream_new(open("in.txt", FileOpen::Read)));
  Ref out(text_output_stream_new(open("out.txt", FileOpen::Create)));
  for (int twice = 0; twice < 2; twice++) {
    TextInputStreamClose(in);
    TextOutputStreamClose(out);
  }
  EXPECT_EQ(TextInputStreamReadLine(in), nullptr);
  EXPECT_EQ(TextInputStreamReadAll(in), nullptr);
  EXPECT_TRUE(TextInputStreamEOF(in)) << "a loop until EOF must end";
  TextOutputStreamWriteLine(out, Text("lost"));
  EXPECT_EQ(contents("out.txt"), "");
}

// The second writer is refused while any reference to the first stream is
// alive, and accepted once the last goes: its destructor wrote out and closed.
TEST_F(TextStreamTest, ReleasedStreamWritesOutAndLetsGoOfItsFile) {
  Object *out = text_output_stream_new(open("out.txt", FileOpen::Create));
  TextOutputStreamWrite(out, Text("kept"));
  RuntimeLockObject(out);
  FileObject *reader = open("out.txt", FileOpen::Read);
  EXPECT_NE(reader, nullptr) << "readers share a file with its writer";
  file_destroy(reader);
  RuntimeUnlockObject(out);
  EXPECT_EQ(open("out.txt", FileOpen::ReadWrite), nullptr) << "one reference is left";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
  RuntimeUnlockObject(out);
  FileObject *second = open("out.txt", FileOpen::ReadWrite);
  EXPECT_NE(second, nullptr);
  file_destroy(second);
  EXPECT_EQ(contents("out.txt"), "kept");
}

TEST_F(TextStreamTest, ShutdownWritesOutAStreamNeverReleased) {
  Ref out(text_output_stream_new(open("out.txt", FileOpen::Create)));
  TextOutputStreamWriteLine(out, Text("at exit"));
  EXPECT_EQ(contents("out.txt"), "") << "still in the buffer";
  file_close_all();
  EXPECT_EQ(contents("out.txt"), "at exit\r\n");
  TextOutputStreamWriteLine(out, Text("after")); /* the file is closed: nothing happens */
  EXPECT_EQ(contents("out.txt"), "at exit\r\n");
}

} // namespace
