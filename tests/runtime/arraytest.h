// The fixture of the array tests: arrays made with their bounds and disposed
// of at the end, reference-counted probes, the entry caller that catches
// runtime exceptions, and the pool check after each test.
#pragma once
#include "raises.h"
#include "recorder.h"
#include "base/pool.h"
#include "objects/array.h"
#include "startup/init.h"
#include "texts.h"
#include <climits>
#include <initializer_list>

class ArrayTestBase : public RuntimeTest {
protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    runtime_classes_init();
    class_setup(&probeClass);
    probeClass.instanceSize = sizeof(Object);
    poolAtStart = pool_used();
  }
  void TearDown() override {
    for (ArrayRecord *a : strings) RuntimeDisposeStringArray(a);
    for (ArrayRecord *a : objects) RuntimeDisposeObjectArray(a);
    for (ArrayRecord *a : numbers) RuntimeDisposeIntArray(a);
    EXPECT_EQ(pool_used(), poolAtStart) << "an array, element or exception was not released";
    class_teardown(&probeClass);
    RuntimeTest::TearDown();
  }

  // An array with lower bounds 0 and these upper bounds, disposed of by kind.
  ArrayRecord *make(std::initializer_list<int32_t> uppers, ElementKind kind = ElementKind::Plain) {
    ArrayRecord *a = RuntimeCreateArray();
    for (int32_t u : uppers) RuntimeArrayCreateAddIndex(a, 0, u);
    (kind == ElementKind::String   ? strings
     : kind == ElementKind::Object ? objects
                                   : numbers)
        .push_back(a);
    return a;
  }

  Object *newProbe() { return CreateInstance(&probeClass); }

  std::string raised(const void *entry, const Words &args, bool floatResult = false) {
    return catcher.raised(entry, args, floatResult);
  }

  Catcher catcher;
  ClassDef probeClass;
  int32_t poolAtStart;
  std::vector<ArrayRecord *> strings, objects, numbers;
};

// An entry point as the address compiled code calls.
#define E(entry) ((const void *)(entry))

inline const char *const kBounds = "OutOfBoundsException";
inline const char *const kNil = "NilObjectException";
