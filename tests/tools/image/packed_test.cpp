// Packed integers and strings: known encodings, round trips at the edges of
// each length, and inputs that end too early.
#include "hex.h"
#include "packed.h"
#include <climits>
#include <gtest/gtest.h>

using namespace img;

TEST(PackedInt, DecodesKnownEncodings) {
  struct Case {
    const char *bytes;
    int32_t value;
  } cases[] = {
      {"15", 21},
      {"9f 01", 95},
      {"41", -1},
      {"00", 0},
      {"3f", 63},
      {"80 01", 64},
      {"c0 01", -64},
      {"80 80 80 80 10", INT32_MIN},
      {"c0 80 80 80 10", INT32_MIN}, // the sign is ignored for 0x80000000
      {"bf ff ff ff 0f", INT32_MAX},
  };
  for (const Case &c : cases) {
    Bytes b = hex(c.bytes);
    PackedReader r(b);
    int32_t v = 0;
    ASSERT_TRUE(r.read_int(&v)) << c.bytes << ": " << r.error;
    EXPECT_EQ(v, c.value) << c.bytes;
    EXPECT_TRUE(r.at_end()) << c.bytes;
  }
}

TEST(PackedInt, EncodesShortestFormAndRoundTrips) {
  struct Case {
    int32_t value;
    size_t length;
  } cases[] = {{0, 1},         {21, 1},        {-1, 1},        {63, 1},
               {-63, 1},       {64, 2},        {95, 2},        {8191, 2},
               {8192, 3},      {-1048575, 3},  {1048576, 4},   {134217727, 4},
               {134217728, 5}, {INT32_MAX, 5}, {INT32_MIN, 5}, {-INT32_MAX, 5}};
  for (const Case &c : cases) {
    Bytes b;
    put_packed_int(b, c.value);
    EXPECT_EQ(b.size(), c.length) << c.value << " -> " << to_hex(b);
    PackedReader r(b);
    int32_t v = 0;
    ASSERT_TRUE(r.read_int(&v)) << r.error;
    EXPECT_EQ(v, c.value);
  }
  Bytes b;
  put_packed_int(b, 95);
  EXPECT_EQ(to_hex(b), "9f 01");
}

TEST(PackedInt, RejectsMalformedInputWithoutReadingPastTheEnd) {
  const char *cases[] = {
      "",                  // nothing at all
      "80",                // continuation with no next byte
      "9f 81",             // cut inside the second byte chain
      "80 80 80 80",       // four bytes, all announcing more
      "80 80 80 80 80 01", // a sixth byte
      "80 80 80 80 20",    // bits beyond 32
  };
  for (const char *c : cases) {
    Bytes b = hex(c);
    PackedReader r(b.data(), b.size());
    int32_t v = 12345;
    EXPECT_FALSE(r.read_int(&v)) << c;
    EXPECT_EQ(v, 12345) << c;
    EXPECT_EQ(r.pos, 0u) << c;
    EXPECT_FALSE(r.error.empty());
  }
}

TEST(PackedString, RoundTripsAndRefusesCountsBeyondTheInput) {
  Bytes b;
  put_packed_string(b, "Name");
  put_packed_string(b, "");
  put_packed_int(b, -3); // a negative count is the empty string, with no bytes
  EXPECT_EQ(to_hex(b), "04 4e 61 6d 65 00 43");
  PackedReader r(b);
  std::string s;
  for (const char *want : {"Name", "", ""}) {
    ASSERT_TRUE(r.read_string(&s)) << r.error;
    EXPECT_EQ(s, want);
  }
  EXPECT_TRUE(r.at_end());

  Bytes cut = hex("05 41 42 43");
  PackedReader c(cut);
  s = "unchanged";
  EXPECT_FALSE(c.read_string(&s));
  EXPECT_EQ(s, "unchanged");
  EXPECT_EQ(c.pos, 0u);
  EXPECT_NE(c.error.find("5 bytes announced, 3 left"), std::string::npos) << c.error;
}
