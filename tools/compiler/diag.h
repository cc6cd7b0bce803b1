// Source positions and the compiler's one error path: the first error stops
// the compilation and is reported as file:line:column: error: message.
// Warnings are collected and reported the same way, as warning:.
#pragma once
#include <string>

namespace basc {

struct Loc {
  const std::string *file = nullptr; // owned by the compilation's source list
  int line = 0, col = 0;
};

// file:line:column: severity: message
inline std::string diagnostic_text(const Loc &loc, const char *severity,
                                   const std::string &message) {
  std::string where = loc.file ? *loc.file : "<input>";
  return where + ":" + std::to_string(loc.line) + ":" + std::to_string(loc.col) + ": " + severity +
         ": " + message;
}

struct CompileError {
  Loc loc;
  std::string message;
  std::string text() const { return diagnostic_text(loc, "error", message); }
};

// Something legal that is most likely a mistake; it does not stop the
// compilation unless warnings are made errors.
struct Warning {
  Loc loc;
  std::string message;
  std::string text(bool asError = false) const {
    return diagnostic_text(loc, asError ? "error" : "warning", message);
  }
};

[[noreturn]] inline void error_at(Loc loc, const std::string &message) {
  throw CompileError{loc, message};
}

} // namespace basc
