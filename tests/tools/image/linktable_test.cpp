// The link table: record bytes, the loader-compatible decoder (stray bytes,
// truncation) and walking fix-up chains through code1.
#include "hex.h"
#include "linktable.h"
#include <gtest/gtest.h>

using namespace img;

TEST(LinkTable, EncodesNamedImportsThenDataReferences) {
  Bytes t;
  std::string error;
  ASSERT_TRUE(
      encode_link_table({{"lineTrace", 0x1C}, {"RuntimeRun", 0}}, {0x0B, 0x1234}, &t, &error));
  EXPECT_EQ(to_hex(t), "01 1c 00 00 00 09 6c 69 6e 65 54 72 61 63 65 "
                       "01 00 00 00 00 0a 52 75 6e 74 69 6d 65 52 75 6e "
                       "02 0b 00 00 00 02 34 12 00 00");
}

TEST(LinkTable, RefusesNamesLongerThan255Bytes) {
  Bytes t;
  std::string error;
  EXPECT_TRUE(encode_link_table({{std::string(255, 'a'), 0}}, {}, &t, &error));
  EXPECT_FALSE(encode_link_table({{std::string(256, 'a'), 0}}, {}, &t, &error));
  EXPECT_FALSE(error.empty());
}

TEST(LinkTable, DecoderSkipsStrayBytesBetweenRecords) {
  Bytes t = hex("00 ff 01 05 00 00 00 02 41 42 07 02 10 00 00 00 03");
  std::vector<LinkRecord> records;
  std::string error;
  size_t stray = 0;
  ASSERT_TRUE(decode_link_table(t, &records, &error, &stray)) << error;
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].kind, 1);
  EXPECT_EQ(records[0].value, 5u);
  EXPECT_EQ(records[0].name, "AB");
  EXPECT_EQ(records[0].at, 2u);
  EXPECT_EQ(records[1].kind, 2);
  EXPECT_EQ(records[1].value, 0x10u);
  EXPECT_EQ(stray, 4u);
}

TEST(LinkTable, DecoderRefusesRecordsCutShort) {
  const char *cases[] = {
      "02 10 00 00",             // kind 2 without its last byte
      "01 10 00 00 00",          // kind 1 without its name length
      "01 10 00 00 00 03 41 42", // name shorter than announced
  };
  for (const char *c : cases) {
    std::vector<LinkRecord> records;
    std::string error;
    EXPECT_FALSE(decode_link_table(hex(c), &records, &error)) << c;
    EXPECT_NE(error.find("past the end"), std::string::npos) << c << ": " << error;
  }
  std::vector<LinkRecord> records;
  std::string error;
  EXPECT_TRUE(decode_link_table(hex("02 10 00 00 00"), &records, &error)); // ends exactly
}

TEST(FixupChain, WalksFromHeadToZero) {
  // Three calls: sites at 1, 6 and 11; 11 -> 6 -> 1 -> end.
  Bytes code = hex("e8 00 00 00 00 e8 01 00 00 00 e8 06 00 00 00");
  std::vector<uint32_t> sites;
  std::string error;
  ASSERT_TRUE(walk_chain(code, 11, &sites, &error)) << error;
  EXPECT_EQ(sites, (std::vector<uint32_t>{11, 6, 1}));
  ASSERT_TRUE(walk_chain(code, 0, &sites, &error));
  EXPECT_TRUE(sites.empty());
}

TEST(FixupChain, RefusesBrokenChains) {
  struct Case {
    const char *code;
    uint32_t head;
    const char *why;
  } cases[] = {
      {"e8 00 00 00 00", 2, "outside"},                   // word sticks out of code1
      {"e8 09 00 00 00", 1, "outside"},                   // link leaves code1
      {"90 00 00 00 00", 1, "not the operand of a call"}, // no E8 before the word
      {"e8 06 00 00 00 e8 01 00 00 00", 6, "loops"},      // 6 -> 1 -> 6 ...
  };
  for (const Case &c : cases) {
    std::vector<uint32_t> sites;
    std::string error;
    EXPECT_FALSE(walk_chain(hex(c.code), c.head, &sites, &error)) << c.code;
    EXPECT_NE(error.find(c.why), std::string::npos) << c.code << ": " << error;
  }
}
