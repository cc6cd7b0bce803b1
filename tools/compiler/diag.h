// Source positions and the compiler's one error path: the first error stops
// the compilation and is reported as file:line:column: message.
#pragma once
#include <string>

namespace basc {

struct Loc {
  const std::string *file = nullptr; // owned by the compilation's source list
  int line = 0, col = 0;
};

struct CompileError {
  Loc loc;
  std::string message;
  std::string text() const {
    std::string where = loc.file ? *loc.file : "<input>";
    return where + ":" + std::to_string(loc.line) + ":" + std::to_string(loc.col) +
           ": error: " + message;
  }
};

[[noreturn]] inline void error_at(Loc loc, const std::string &message) {
  throw CompileError{loc, message};
}

} // namespace basc
