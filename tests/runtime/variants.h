// Shared by the Variant, Dictionary and Collection tests: a fixture that
// checks the pool counter after each test, owned references released at the
// end of their scope, and the Shift-JIS texts whose trail bytes look like
// letters.
#pragma once
#include "base/pool.h"
#include "compiled.h"
#include "raises.h"
#include "objects/variant.h"
#include "recorder.h"
#include "startup/init.h"
#include "texts.h"
#include <string>

// Katakana A (83 41) and DI (83 61): the second's trail byte is an "a".
inline const std::string kKatakanaA = "\x83\x41", kKatakanaDi = "\x83\x61";

// One reference owned by the test, released when the holder goes.
class Ref {
public:
  Ref(Object *o = nullptr) : o_(o) {}
  Ref(const Ref &) = delete;
  ~Ref() { RuntimeUnlockObject(o_); }
  operator Object *() const { return o_; }
  Object *get() const { return o_; }
  int32_t word() const { return compiled::word(o_); }

private:
  Object *o_;
};

inline Object *textVariant(const std::string &t) { return stringToVariant(Text(t)); }

class PoolCheckedTest : public RuntimeTest {
protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    runtime_classes_init();
    poolAtStart = pool_used();
  }
  void TearDown() override {
    EXPECT_EQ(pool_used(), poolAtStart) << "something made here was not released";
    RuntimeTest::TearDown();
  }
  int32_t poolAtStart = 0;
};
