// Arrays a compiled routine made, disposed of by the exception search when a
// raise unwinds the routine's frame, while an array it was handed lives on.
#include "arraytest.h"
#include "lifecycle/exception.h"

namespace {

using namespace compiled;

class ArrayUnwindTest : public ArrayTestBase {};

// Exception table codes for the arrays a frame owns.
enum : uint8_t { kInts = 8, kStrings = 9, kObjects = 10, kBooleans = 11 };

// Slot 1: makes an array of each kind, writes `s` into its own string array
// and into the one it was handed, `probe` into its object array, then raises
// NilObjectException. Its table disposes of its arrays, and of one at -24
// whose Dim was never reached.
void buildMaker(Machine &m, RString *s, Object *probe) {
  Code c;
  enter(c, 6);
  auto make = [&](int32_t offset, int32_t upper) {
    callAt(c, E(RuntimeCreateArray));
    c.mov(mem(ebp, offset), eax);
    c.push(upper);
    c.push(0);
    c.push(eax);
    callAt(c, E(RuntimeArrayCreateAddIndex), 3);
  };
  auto write = [&](const void *entry, const Mem &array, int32_t index, int32_t value) {
    c.push(value);
    c.push(index);
    c.push(array);
    callAt(c, entry, 3);
  };
  make(-8, 40);
  write(E(RuntimeDirectWriteStringArray), mem(ebp, -8), 30, word(s));
  make(-12, 3);
  write(E(RuntimeDirectWriteObjectArray), mem(ebp, -12), 2, word(probe));
  make(-16, 100);
  write(E(RuntimeDirectWriteIntArray), mem(ebp, -16), 50, 7);
  c.push(9);
  callAt(c, E(RuntimeCreateFastBooleanArray), 1);
  c.mov(mem(ebp, -20), eax);
  write(E(RuntimeDirectWriteStringArray), mem(ebp, 8), 0, word(s));
  callAt(c, E(RuntimeNilObject));
  m.place(1, c,
          {{kStrings, -8, {}},
           {kObjects, -12, {}},
           {kInts, -16, {}},
           {kBooleans, -20, {}},
           {kStrings, -24, {}}});
}

TEST_F(ArrayUnwindTest, ARaiseDisposesTheArraysOfTheFramesItUnwindsButNotTheirArguments) {
  ArrayRecord *given = make({1}, ElementKind::String);
  RString *s = str_from("element");
  Object *probe = newProbe();
  Machine m;
  buildMaker(m, s, probe);
  EXPECT_EQ(raised(m.at(1), Words()(given)), kNil);
  EXPECT_EQ(s->refs, 2) << "the handed array keeps its element, the routine's own let it go";
  EXPECT_EQ(probe->refs, 1);
  EXPECT_EQ(RuntimeUBound(given), 1);
  RuntimeUnlockObject(probe);
  RuntimeUnlockString(s);
  /* the fixture disposes of `given` and finds the pool as it was */
}

} // namespace
