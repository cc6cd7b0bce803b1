// Source text to tokens: words (keywords and names alike, with their upper-case
// form for case-insensitive matching), numbers, strings, colours, punctuation
// and the line ends that separate statements.
#pragma once
#include "diag.h"
#include <cstdint>
#include <string_view>
#include <vector>

namespace basc {

enum class TokKind { Word, Int, Real, Str, Color, Punct, Newline, End };

struct Token {
  TokKind kind;
  std::string text;  // as written; a string literal's value without quotes
  std::string upper; // words and punctuation, upper-cased
  int64_t ival = 0;  // Int and Color
  double fval = 0;   // Real
  Loc loc;
};

// Comments (' and //) are dropped; a run of line ends gives one Newline.
std::vector<Token> tokenize(const std::string *file, std::string_view src);

} // namespace basc
