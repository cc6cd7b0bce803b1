// Pieces of runtime initialisation that need no image: the command-line
// split, packed streams, and the character sets of the settings.
#include "recorder.h"
#include "startup/init.h"
#include "text/packed.h"
#include "text/string.h"

using InitTest = RuntimeTest;

static void collect(RString *item, void *items) {
  ((std::vector<std::string> *)items)->push_back(std::string(str_cview(item), str_len(item)));
}

TEST_F(InitTest, CommandLineSplitsIntoDocumentItems) {
  struct {
    const char *line;
    std::vector<std::string> items;
  } cases[] = {
      {"", {}},
      {"a b", {"a", "b"}},
      {"  a   b  ", {"a", "b"}},
      {"\"x y\" z", {"x y", "z"}},
      {"\"unterminated quote", {"unterminated quote"}},
      {"a\"b c\"", {"a\"b", "c\""}}, /* a quote inside an item is an ordinary character */
      {"\"\"", {""}},
  };
  for (auto &c : cases) {
    std::vector<std::string> items;
    EXPECT_EQ(split_command_line(c.line, collect, &items), int(c.items.size())) << c.line;
    EXPECT_EQ(items, c.items) << c.line;
  }
}

TEST_F(InitTest, PackedStreamsNeverReadPastTheirEnd) {
  const uint8_t bytes[] = {0x15, 0x9F, 0x01, 0x41, 0x80, 0x80, 0x80, 0x80, 0x10, 0x03, 'a', 'b'};
  PackedStream s = packed_stream(bytes, sizeof bytes);
  EXPECT_EQ(packed_int(&s), 21);
  EXPECT_EQ(packed_int(&s), 95);
  EXPECT_EQ(packed_int(&s), -1);
  EXPECT_EQ(packed_int(&s), INT32_MIN); /* magnitude 0x80000000, taken as it is */
  EXPECT_FALSE(s.damaged);
  RString *cut = packed_string(&s); /* says 3 bytes, has 2 */
  EXPECT_EQ(cut, nullptr);
  EXPECT_TRUE(s.damaged);
  EXPECT_EQ(packed_int(&s), 0);
}

TEST_F(InitTest, ScriptCodesGiveCharacterSets) {
  const int32_t cases[][2] = {{13, 128}, {21, 136}, {12, 177}, {14, 178}, {16, 161},
                              {19, 162}, {24, 222}, {34, 204}, {0, 1},    {99, 1}};
  for (auto &c : cases) EXPECT_EQ(charset_for_script(c[0]), c[1]) << c[0];
}
