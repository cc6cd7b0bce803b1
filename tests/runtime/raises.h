// Calling an entry point the way compiled code does, from a compiled routine
// whose table catches every runtime exception: what the entry returned, or
// the class of what it raised. The runtime's classes must be built.
#pragma once
#include "compiled.h"
#include "objects/objects.h"
#include "objects/registry.h"
#include "text/string.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Argument words in argument order; a double takes two, low word first.
struct Words {
  std::vector<uint32_t> w;
  Words &operator()(const void *p) { return w.push_back(uint32_t(uintptr_t(p))), *this; }
  Words &operator()(int32_t v) { return w.push_back(uint32_t(v)), *this; }
  Words &operator()(double v) {
    uint32_t halves[2];
    memcpy(halves, &v, 8);
    w.push_back(halves[0]);
    w.push_back(halves[1]);
    return *this;
  }
};

struct Outcome {
  std::string raised; // the exception's class, empty when none was raised
  uint32_t eax;       // the integer or pointer result
  double st0;         // the floating-point result, when asked for
};

class Catcher {
public:
  // Calls `entry` with `args`; `floatResult` when it returns on the FPU stack.
  Outcome call(const void *entry, const Words &args, bool floatResult = false) {
    using namespace compiled;
    ClassDef *table[] = {gRuntimeExceptionClass}, **savedTable = gClassTable;
    int32_t savedCount = gClassCount;
    gClassTable = table; /* catch entries name classes by index: 0 is every exception */
    gClassCount = 1;
    eax_ = 0;
    st0_ = 0;
    caught_ = nullptr;
    Code c;
    enter(c, 1);
    for (size_t k = args.w.size(); k-- > 0;) c.push(int32_t(args.w[k]));
    callAt(c, entry, int(args.w.size()));
    storeEax(c, (int32_t *)&eax_);
    if (floatResult) {
      c.mov(ecx, int32_t(uintptr_t(&st0_)));
      c.fstp64(mem(ecx));
    }
    CodeLabel done = c.label();
    c.jmp(done);
    CodeLabel handler = c.here();
    c.mov(eax, mem(ebp, -4));
    storeEax(c, (int32_t *)&caught_);
    c.bind(done);
    m_.place(1, c, {catchOf(0, handler)});
    m_.run(1);
    gClassTable = savedTable;
    gClassCount = savedCount;
    Outcome o = {"", eax_, st0_};
    if (caught_) o.raised = take_caught();
    return o;
  }

  // The class an entry raises, empty when it returns.
  std::string raised(const void *entry, const Words &args, bool floatResult = false) {
    return call(entry, args, floatResult).raised;
  }

private:
  // The caught exception's class name; the catching frame's reference and the
  // one the raise keeps are both let go, so the pool is as it was before.
  std::string take_caught() {
    std::string name = str_cview(class_display_name(caught_->cls));
    EXPECT_EQ(caught_->refs, 2);
    for (int32_t n = caught_->refs; n > 0; n--) RuntimeUnlockObject(caught_);
    return name;
  }

  compiled::Machine m_;
  uint32_t eax_;
  double st0_;
  Object *caught_;
};

// The class an entry raises when called with these argument words (first
// argument first), "" when it returns.
inline std::string raisedBy(const void *entry, const std::vector<int32_t> &arguments) {
  Words words;
  for (int32_t a : arguments) words(a);
  return Catcher().raised(entry, words);
}
