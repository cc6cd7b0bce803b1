// The relocation list: skips and runs at their limits, splitting of long gaps
// and runs, and decoding as the loader reads it.
#include "hex.h"
#include "reloc.h"
#include <gtest/gtest.h>

using namespace img;

static std::vector<Reloc> run_of(uint32_t at, uint32_t words, RelocKind k) {
  std::vector<Reloc> v;
  for (uint32_t i = 0; i < words; i++) v.push_back({at + 4 * i, k});
  return v;
}

TEST(RelocEncode, WritesSkipsAndRunsAtTheirLimits) {
  const RelocKind C = RelocKind::Code, D = RelocKind::Data;
  struct Case {
    const char *name;
    std::vector<Reloc> words;
    uint32_t data1_size;
    const char *list;
  } cases[] = {
      {"one code word at 0", {{0, C}}, 4, "00 40"},
      {"one data word after a 1-byte skip", {{1, D}}, 5, "00 80 00 42"},
      {"a 4096-byte skip", {{4096, D}}, 4100, "ff 8f 00 42"},
      {"a gap of 4097 needs two skips", {{4097, C}}, 4101, "ff 8f 00 80 00 40"},
      {"512 words in one run", run_of(0, 512, D), 2048, "ff 43"},
      {"513 words split into two runs", run_of(0, 513, D), 2052, "ff 43 00 42"},
      {"a change of kind starts a new run", {{0, C}, {4, D}, {8, D}}, 12, "00 40 01 42"},
      {"a trailing skip reaches the end of data1", {{0, C}}, 10, "00 40 05 80"},
      {"unsorted input", {{8, D}, {0, C}}, 12, "00 40 03 80 00 42"},
      {"no words", {}, 0, ""},
  };
  for (const Case &c : cases) {
    Bytes out;
    std::string error;
    ASSERT_TRUE(encode_relocs(c.words, c.data1_size, &out, &error)) << c.name << ": " << error;
    EXPECT_EQ(to_hex(out), c.list) << c.name;
  }
}

TEST(RelocEncode, RefusesOverlappingWordsAndWordsOutsideData1) {
  struct Case {
    std::vector<Reloc> words;
    uint32_t data1_size;
  } cases[] = {
      {{{0, RelocKind::Code}, {2, RelocKind::Data}}, 8}, // overlap
      {{{0, RelocKind::Code}, {0, RelocKind::Data}}, 8}, // same word twice
      {{{6, RelocKind::Data}}, 8},                       // sticks out of data1
      {{{20, RelocKind::Data}}, 8},                      // beyond data1
  };
  for (const Case &c : cases) {
    Bytes out;
    std::string error;
    EXPECT_FALSE(encode_relocs(c.words, c.data1_size, &out, &error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(RelocDecode, ReadsRecordsAsTheLoaderDoes) {
  // skip 4096, code run of 512, skip 1, data run of 1, second-form code run of
  // 2, two ignored halfwords, and an odd last byte that is not a record.
  Bytes list = hex("ff 8f ff 41 00 80 00 42 01 46 00 44 00 00 00");
  std::vector<RelocRecord> records = decode_relocs(list);
  ASSERT_EQ(records.size(), 7u);
  EXPECT_EQ(records[0].op, RelocOp::Skip);
  EXPECT_EQ(records[0].count, 4096u);
  EXPECT_EQ(records[1].op, RelocOp::CodeRun);
  EXPECT_EQ(records[1].count, 512u);
  EXPECT_EQ(records[2].count, 1u);
  EXPECT_EQ(records[3].op, RelocOp::DataRun);
  EXPECT_EQ(records[4].op, RelocOp::CodeRun2);
  EXPECT_EQ(records[5].op, RelocOp::Ignored);
  EXPECT_EQ(records[6].op, RelocOp::Ignored);

  uint32_t end = 0;
  std::vector<Reloc> words = reloc_words(records, &end);
  ASSERT_EQ(words.size(), 515u);
  EXPECT_EQ(words[0], (Reloc{4096, RelocKind::Code}));
  EXPECT_EQ(words[511], (Reloc{4096 + 511 * 4, RelocKind::Code}));
  EXPECT_EQ(words[512], (Reloc{4096 + 2048 + 1, RelocKind::Data})); // unaligned after a skip
  EXPECT_EQ(words[513], (Reloc{4096 + 2048 + 5, RelocKind::Code}));
  EXPECT_EQ(end, 4096u + 2048 + 1 + 4 + 8); // ignored records do not move the cursor
}

TEST(RelocDecode, ReadsBackWhatTheEncoderWrote) {
  std::vector<Reloc> words = run_of(0, 600, RelocKind::Data);
  words.push_back({10000, RelocKind::Code});
  words.push_back({10004, RelocKind::Data});
  Bytes list;
  std::string error;
  ASSERT_TRUE(encode_relocs(words, 20000, &list, &error)) << error;
  uint32_t end = 0;
  EXPECT_EQ(reloc_words(decode_relocs(list), &end), words);
  EXPECT_EQ(end, 20000u);
}
