// Variants as compiled code sees them: the layout, the conversions of every
// type with the failures they raise, the type tests of nil and Null, the
// references a variant holds, and the hash and equality of keys.
#include "variants.h"
#include "objects/registry.h"
#include "text/numbers.h"

namespace {

using VariantTest = PoolCheckedTest;

TEST_F(VariantTest, InstanceHoldsTheLayoutCompiledCodeAllocates) {
  EXPECT_EQ(registry_find("Variant")->instanceSize, int32_t(sizeof(Variant)));
  Ref v = doubleToVariant(1.5);
  const Variant *raw = (const Variant *)v.get();
  EXPECT_EQ(raw->type, kVarDouble);
  EXPECT_EQ(raw->value.w[2], 0u) << "the unused value word stays 0";
  EXPECT_EQ(raw->root[0] | raw->root[1], 0);
}

TEST_F(VariantTest, ConversionsOfEveryScalarType) {
  struct Case {
    const char *name;
    Object *v;
    int32_t type;
    bool numeric;
    int32_t asInt;
    double asDouble;
    bool asBoolean;
    const char *asString;
  } cases[] = {
      {"Integer 42", intToVariant(42), 2, true, 42, 42, true, "42"},
      {"Integer -7", intToVariant(-7), 2, true, -7, -7, true, "-7"},
      {"Integer 0", intToVariant(0), 2, true, 0, 0, false, "0"},
      {"Color", colorToVariant(0xFF8000), 16, false, 0xFF8000, 0xFF8000, true, "16744448"},
      {"Boolean True", booleanToVariant(true), 11, false, 1, 1, true, "True"},
      {"Boolean False", booleanToVariant(false), 11, false, 0, 0, false, "False"},
      {"Double -2.9", doubleToVariant(-2.9), 5, true, -2, -2.9, true, "-2.9"},
      {"Double 2.9", doubleToVariant(2.9), 5, true, 2, 2.9, true, "2.9"},
      {"Double 0", doubleToVariant(0.0), 5, true, 0, 0, false, "0"},
      {"Double huge", doubleToVariant(1e300), 5, true, FPToInt(1e300), 1e300, true,
       "1.000000e+300"},
      {"String 1", textVariant("1"), 8, false, 1, 1, true, "1"},
      {"String yes", textVariant("yes"), 8, false, 0, 0, false, "yes"},
      {"String TRUE", textVariant("TRUE"), 8, false, 0, 0, true, "TRUE"},
      {"String true with a space", textVariant("true "), 8, false, 0, 0, false, "true "},
      {"String abc", textVariant("abc"), 8, false, 0, 0, false, "abc"},
      {"String 12.7e1x", textVariant(" 12.7e1x"), 8, false, 127, 127, false, " 12.7e1x"},
      {"String -3.99", textVariant("-3.99"), 8, false, -3, -3.99, false, "-3.99"},
      {"String &HFF", textVariant("&HFF"), 8, false, 255, 255, false, "&HFF"},
      {"String nil", stringToVariant(nullptr), 8, false, 0, 0, false, ""},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(VarType(c.v), c.type) << c.name;
    EXPECT_EQ(IsNumeric(c.v), c.numeric) << c.name;
    EXPECT_FALSE(IsNull(c.v)) << c.name;
    EXPECT_EQ(variantToInt(c.v), c.asInt) << c.name;
    EXPECT_EQ(variantToColor(c.v), c.asInt) << c.name;
    EXPECT_EQ(variantToDouble(c.v), c.asDouble) << c.name;
    EXPECT_EQ(variantToBoolean(c.v), c.asBoolean) << c.name;
    EXPECT_EQ(take(variantToString(c.v)), c.asString) << c.name;
    EXPECT_EQ(raisedBy((void *)variantToObject, {compiled::word(c.v)}), "typeMismatchException")
        << c.name;
    RuntimeUnlockObject(c.v);
  }
}

// Null and Object convert to nothing but what they are; a nil reference is
// neither Null nor anything else, and converting it raises.
TEST_F(VariantTest, NullObjectAndNilRaiseWhereTheyCannotConvert) {
  Ref null = getNilVariant(), target = CreateInstance(&gObjectClass);
  Ref object = objectToVariant(target);
  const void *scalar[] = {(void *)variantToInt, (void *)variantToColor, (void *)variantToDouble,
                          (void *)variantToBoolean, (void *)variantToString};
  struct Case {
    Object *v;
    const char *raised;
  } cases[] = {{null, "typeMismatchException"},
               {object, "typeMismatchException"},
               {nullptr, "NilObjectException"}};
  for (const Case &c : cases)
    for (const void *entry : scalar) EXPECT_EQ(raisedBy(entry, {compiled::word(c.v)}), c.raised);
  EXPECT_EQ(raisedBy((void *)variantToObject, {null.word()}), "typeMismatchException");
  EXPECT_EQ(raisedBy((void *)variantToObject, {0}), "NilObjectException");

  EXPECT_EQ(VarType(null), 1);
  EXPECT_TRUE(IsNull(null));
  EXPECT_EQ(VarType(object), 9);
  EXPECT_FALSE(IsNull(object) || IsNumeric(object));
  EXPECT_EQ(VarType(nullptr), 0);
  EXPECT_FALSE(IsNull(nullptr) || IsNumeric(nullptr));
}

TEST_F(VariantTest, AVariantHoldsOneReferenceToItsStringOrObject) {
  Ref target = CreateInstance(&gObjectClass);
  RString *s = str_from("held");
  Object *o = objectToVariant(target), *t = stringToVariant(s);
  EXPECT_EQ(target.get()->refs, 2);
  EXPECT_EQ(s->refs, 2);
  Ref back = variantToObject(o);
  EXPECT_EQ(back.get(), target.get());
  EXPECT_EQ(target.get()->refs, 3) << "the result is the caller's reference";
  RString *text = variantToString(t);
  EXPECT_EQ(text, s);
  RuntimeUnlockString(text);
  RuntimeUnlockObject(o);
  RuntimeUnlockObject(t);
  EXPECT_EQ(target.get()->refs, 2);
  EXPECT_EQ(s->refs, 1);
  RuntimeUnlockString(s);
  Ref empty = objectToVariant(nullptr);
  EXPECT_EQ(variantToObject(empty), nullptr);
}

TEST_F(VariantTest, HashFoldsSmallLettersAndMixesTheValueWords) {
  struct Case {
    const char *name;
    Object *v;
    uint32_t hash;
  } cases[] = {
      {"Integer 1", intToVariant(1), 0x00010000},
      {"Integer -1", intToVariant(-1), 0xFFFFFFFF},
      {"Integer 0x12345678", intToVariant(0x12345678), 0x56781234},
      {"Integer 0x80000000", intToVariant(INT32_MIN), 0xFFFF8000},
      {"Double 1.0", doubleToVariant(1.0), 0x3FF00000},
      {"Boolean True", booleanToVariant(true), 0x00010000},
      {"Null", getNilVariant(), 0},
      {"abc", textVariant("abc"), 0x55B}, /* ((A << 2) ^ B) << 2 ^ C */
      {"ABC", textVariant("ABC"), 0x55B},
      {"high byte", textVariant("\xE9"), 0xFFFFFFE9}, /* a negative byte */
      {"empty", textVariant(""), 0},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(uint32_t(VariantHash(c.v)), c.hash) << c.name;
    RuntimeUnlockObject(c.v);
  }
  EXPECT_EQ(VariantHash(nullptr), 0);
}

// Keys compare by type first; texts ignore the case of a-z, but the trail
// byte of a double-byte character is never taken for a letter.
TEST_F(VariantTest, EqualityComparesTypesThenValuesAndTextsWithoutCase) {
  bool dbcs = japanese_code_page();
  Ref object = CreateInstance(&gObjectClass), other = CreateInstance(&gObjectClass);
  struct Case {
    const char *name;
    Object *a, *b;
    bool equal;
  } cases[] = {
      {"Integer 1, Double 1.0", intToVariant(1), doubleToVariant(1.0), false},
      {"Integer 1, Boolean True", intToVariant(1), booleanToVariant(true), false},
      {"Integer 1, Color 1", intToVariant(1), colorToVariant(1), false},
      {"Integer 1, String 1", intToVariant(1), textVariant("1"), false},
      {"Integer 5, Integer 5", intToVariant(5), intToVariant(5), true},
      {"Double 0.5, Double 0.5", doubleToVariant(0.5), doubleToVariant(0.5), true},
      {"Null, Null", getNilVariant(), getNilVariant(), true},
      {"abc, ABC", textVariant("abc"), textVariant("ABC"), true},
      {"abc, abd", textVariant("abc"), textVariant("abd"), false},
      {"abc, abcd", textVariant("abc"), textVariant("abcd"), false},
      {"nil text, empty text", stringToVariant(nullptr), textVariant(""), true},
      {"same object", objectToVariant(object), objectToVariant(object), true},
      {"other object", objectToVariant(object), objectToVariant(other), false},
      {"katakana A, DI", textVariant(kKatakanaA), textVariant(kKatakanaDi), !dbcs},
      {"katakana A then b, B", textVariant(kKatakanaA + "b"), textVariant(kKatakanaA + "B"), true},
      {"lone lead byte", textVariant("a\x83"), textVariant("A\x83"), true},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(VariantEqual(c.a, c.b), c.equal) << c.name;
    EXPECT_EQ(VariantEqual(c.b, c.a), c.equal) << c.name;
    if (c.equal) {
      EXPECT_EQ(VariantHash(c.a), VariantHash(c.b)) << "equal keys hash alike: " << c.name;
      EXPECT_EQ(variant_bin_hash((Variant *)c.a), variant_bin_hash((Variant *)c.b))
          << "equal keys share a bin: " << c.name;
    }
    RuntimeUnlockObject(c.a);
    RuntimeUnlockObject(c.b);
  }
  Ref one = intToVariant(1);
  EXPECT_TRUE(VariantEqual(one, one));
  EXPECT_TRUE(VariantEqual(nullptr, nullptr));
  EXPECT_FALSE(VariantEqual(one, nullptr) || VariantEqual(nullptr, one));
}

} // namespace
