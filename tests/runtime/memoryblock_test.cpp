// Memory blocks as compiled code sees them: each width at the last offset
// that fits and the first that does not, offsets that would wrap, negative
// counts, the padded and length-prefixed texts, addresses stored and wrapped,
// foreign blocks without a size, and zeroed allocation.
#include "variants.h"
#include "files/memoryblock.h"
#include <climits>

namespace {

using compiled::word;

const int32_t kSize = 16;

class MemoryBlockTest : public PoolCheckedTest {
protected:
  void SetUp() override {
    PoolCheckedTest::SetUp();
    block = newMemoryBlock(kSize);
    ASSERT_NE(block, nullptr);
    bytes = (uint8_t *)memoryBlockGetPtr(block);
  }
  void TearDown() override {
    RuntimeUnlockObject(block);
    PoolCheckedTest::TearDown();
  }
  std::string raised(const void *entry, const Words &args, bool floatResult = false) {
    return Catcher().raised(entry, args, floatResult);
  }
  Words on(int32_t offset) { return Words()(block)(offset); }
  std::string contents() { return std::string((const char *)bytes, kSize); }

  Object *block;
  uint8_t *bytes;
};

struct Access {
  const char *name;
  const void *get, *set; // set nil: no assignment form
  int32_t width;
  bool floating, wide; // the getter answers on the FPU stack; the setter takes a double
};

const Access kAccesses[] = {
    {"Long", (void *)memoryGetLong, (void *)memorySetLong, 4, false, false},
    {"Short", (void *)memoryGetShort, (void *)memorySetShort, 2, false, false},
    {"UShort", (void *)memoryGetUShort, nullptr, 2, false, false},
    {"Byte", (void *)memoryGetByte, (void *)memorySetByte, 1, false, false},
    {"Single", (void *)memoryGetSingle, (void *)memorySetSingle, 4, true, false},
    {"Double", (void *)memoryGetDouble, (void *)memorySetDouble, 8, true, true},
    {"Boolean", (void *)memoryGetBoolean, (void *)memorySetBoolean, 1, false, false},
    {"Color", (void *)memoryGetColor, (void *)memorySetColor, 4, false, false},
    {"Ptr", (void *)memoryGetPtr, (void *)memorySetPtr, 4, false, false},
};

TEST_F(MemoryBlockTest, EveryWidthFitsAtTheEndAndNotOneBytePast) {
  EXPECT_EQ(registry_find("MemoryBlock")->instanceSize, int32_t(sizeof(MemoryBlock)));
  const int32_t outside[] = {kSize - 0, -1, INT32_MIN, INT32_MAX, INT32_MAX - 3, INT32_MAX - 7};
  for (const Access &a : kAccesses) {
    EXPECT_EQ(raised(a.get, on(kSize - a.width), a.floating), "") << a.name;
    EXPECT_EQ(raised(a.get, on(kSize - a.width + 1), a.floating), "OutOfBoundsException") << a.name;
    for (int32_t offset : outside)
      EXPECT_EQ(raised(a.get, on(offset), a.floating), "OutOfBoundsException")
          << a.name << " " << offset;
    if (!a.set) continue;
    /* a value whose bytes are not all 0; a Ptr stores the block's own address */
    int32_t value = a.set == (void *)memorySetPtr ? word(block) : -1;
    Words fits = a.wide ? on(kSize - a.width)(-1.0) : on(kSize - a.width)(value);
    EXPECT_EQ(raised(a.set, fits), "") << a.name;
    memset(bytes, 0, kSize);
    std::string before = contents();
    Words past = a.wide ? on(kSize - a.width + 1)(-1.0) : on(kSize - a.width + 1)(value);
    EXPECT_EQ(raised(a.set, past), "OutOfBoundsException") << a.name;
    for (int32_t offset : outside) {
      Words away = a.wide ? on(offset)(-1.0) : on(offset)(value);
      EXPECT_EQ(raised(a.set, away), "OutOfBoundsException") << a.name << " " << offset;
    }
    EXPECT_EQ(contents(), before) << a.name << ": nothing written";
  }
}

TEST_F(MemoryBlockTest, ValuesAreStoredLeastSignificantByteFirst) {
  memorySetLong(block, 0, 0x01020304);
  EXPECT_EQ(contents().substr(0, 4), std::string("\x04\x03\x02\x01"));
  memorySetShort(block, 4, -2);
  EXPECT_EQ(memoryGetShort(block, 4), -2);
  EXPECT_EQ(memoryGetUShort(block, 4), 65534);
  memorySetByte(block, 6, 300);
  EXPECT_EQ(memoryGetByte(block, 6), 44);
  bytes[7] = 7;
  EXPECT_TRUE(memoryGetBoolean(block, 7));
  EXPECT_EQ(raised((void *)memorySetBoolean, on(7)(0x2FE)), "");
  EXPECT_EQ(bytes[7], 1) << "true is stored as 1";
  EXPECT_EQ(raised((void *)memorySetBoolean, on(7)(0x100)), "");
  EXPECT_EQ(bytes[7], 0) << "only the low byte of the word counts";
  memorySetSingle(block, 8, 1.5f);
  EXPECT_EQ(memoryGetSingle(block, 8), 1.5);
  memorySetDouble(block, 8, -0.1);
  EXPECT_EQ(memoryGetDouble(block, 8), -0.1);
  memorySetColor(block, 0, 0x112233); /* the colour word: blue first */
  EXPECT_EQ(contents().substr(0, 4), std::string("\x33\x22\x11\x00", 4));
  EXPECT_EQ(memoryGetColor(block, 0), 0x112233);
  EXPECT_EQ(memoryGetLong(block, 0), 0x112233);
}

TEST_F(MemoryBlockTest, TextsArePaddedLengthPrefixedAndKeptInsideTheBlock) {
  memset(bytes, 0xEE, kSize);
  memorySetString(block, 0, 4, Text("ab"));
  EXPECT_EQ(contents().substr(0, 5), std::string("ab\0\0\xEE", 5));
  memorySetString(block, 4, 2, Text("wxyz"));
  EXPECT_EQ(take(memoryGetString(block, 3, 3)), std::string("\0wx", 3));
  EXPECT_EQ(take(memoryGetString(block, kSize, 0)), "");
  for (int32_t count : {-1, INT32_MIN}) {
    EXPECT_EQ(raised((void *)memoryGetString, on(0)(count)), "OutOfBoundsException") << count;
    EXPECT_EQ(raised((void *)memorySetString, on(0)(count)(Text("a"))), "OutOfBoundsException");
  }
  EXPECT_EQ(raised((void *)memoryGetString, on(INT32_MAX)(2)), "OutOfBoundsException");
  EXPECT_EQ(raised((void *)memorySetString, on(kSize - 3)(4)(Text("a"))), "OutOfBoundsException");

  memset(bytes, 0xEE, kSize);
  std::string before = contents();
  EXPECT_EQ(raised((void *)memorySetPString, on(0)(Text(std::string(300, 'p')))),
            "OutOfBoundsException")
      << "a length byte cannot say 300";
  EXPECT_EQ(raised((void *)memorySetPString, on(kSize - 3)(Text("abc"))), "OutOfBoundsException");
  EXPECT_EQ(raised((void *)memorySetCString, on(kSize - 3)(Text("abc"))), "OutOfBoundsException");
  EXPECT_EQ(contents(), before) << "nothing written";
  memorySetPString(block, kSize - 4, Text("abc"));
  EXPECT_EQ(take(memoryGetPString(block, kSize - 4)), "abc");
  bytes[kSize - 4] = 4; /* a length that runs past the end */
  EXPECT_EQ(raised((void *)memoryGetPString, on(kSize - 4)), "OutOfBoundsException");

  memorySetCString(block, 0, Text("hi"));
  EXPECT_EQ(take(memoryGetCString(block, 0)), "hi");
  std::string unterminated = std::string(kSize - 4 - 3, '\xEE') + '\x04' + "abc";
  EXPECT_EQ(take(memoryGetCString(block, 3)), unterminated) << "read to the end, not past it";
  EXPECT_EQ(raised((void *)memoryGetCString, on(kSize)), "OutOfBoundsException");
  Ref big(newMemoryBlock(300));
  std::string longest(255, 'q');
  memorySetPString(big, 1, Text(longest));
  EXPECT_EQ(take(memoryGetPString(big, 1)), longest);
}

TEST_F(MemoryBlockTest, StoredAddressesComeBackAsForeignBlocks) {
  EXPECT_EQ(memoryGetPtr(block, 0), nullptr) << "a stored 0 is nil";
  Ref other(newMemoryBlock(8));
  memorySetPtr(block, 4, other);
  EXPECT_EQ(memoryGetLong(block, 4), word(memoryBlockGetPtr(other)));
  Ref back(memoryGetPtr(block, 4));
  ASSERT_NE(back.get(), nullptr);
  EXPECT_EQ(memoryBlockGetPtr(back), memoryBlockGetPtr(other));
  EXPECT_EQ(memoryBlockGetSize(back), 0);
  EXPECT_EQ(((MemoryBlock *)back.get())->owns, 0);
  memorySetLong(back, 4, 99);
  EXPECT_EQ(memoryGetLong(other, 4), 99);
  memorySetPtr(block, 4, nullptr);
  EXPECT_EQ(memoryGetLong(block, 4), 0);
}

TEST_F(MemoryBlockTest, AForeignAddressIsReadWithoutASizeButCountsStayChecked) {
  char foreign[64] = "start";
  foreign[40] = 'x';
  Ref wrapped(PtrToMemoryBlock(foreign));
  EXPECT_EQ(memoryBlockGetSize(wrapped), 0);
  EXPECT_EQ(take(memoryGetCString(wrapped, 0)), "start");
  EXPECT_EQ(memoryGetByte(wrapped, 40), 'x');
  memorySetLong(wrapped, 48, 5);
  EXPECT_EQ(foreign[48], 5);
  EXPECT_EQ(raised((void *)memoryGetString, Words()(wrapped.get())(0)(-1)), "OutOfBoundsException");
  Ref nowhere(PtrToMemoryBlock(nullptr));
  EXPECT_EQ(raised((void *)memoryGetLong, Words()(nowhere.get())(0)), "NilObjectException");
}

TEST_F(MemoryBlockTest, NewBlocksAreZeroedAndImpossibleSizesAreNil) {
  memset(bytes, 0xAB, kSize); /* the next block of this size likely reuses these bytes */
  RuntimeUnlockObject(block);
  block = newMemoryBlock(kSize);
  bytes = (uint8_t *)memoryBlockGetPtr(block);
  EXPECT_EQ(contents(), std::string(kSize, '\0'));
  EXPECT_EQ(memoryBlockGetSize(block), kSize);
  EXPECT_EQ(((MemoryBlock *)block)->owns, 1);
  Ref large(newMemoryBlock(100000)); /* from the heap, not the pool */
  ASSERT_NE(large.get(), nullptr);
  EXPECT_EQ(memoryGetDouble(large, 100000 - 8), 0.0);
  for (int32_t size : {0, -1, INT32_MIN, INT32_MAX})
    EXPECT_EQ(newMemoryBlock(size), nullptr) << size;
}

} // namespace
