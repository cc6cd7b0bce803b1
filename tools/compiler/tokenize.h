// Source text to tokens: words (keywords and names alike, with their upper-case
// form for case-insensitive matching), numbers, strings, colours, punctuation
// and the line ends that separate statements.
#pragma once
#include "diag.h"
#include <cstdint>
#include <deque>
#include <memory>
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

struct Lexer;

// The tokens of one source as the parser walks them: lexed on demand and
// forgotten once behind it, so that a large source never has all its tokens
// in memory at once. Indexes count from the source's first token; asking past
// the end gives the End token.
class TokenStream {
public:
  TokenStream(const std::string *file, std::string_view src); // src outlives the stream
  explicit TokenStream(std::vector<Token> tokens);            // ends with End
  ~TokenStream();
  const Token &at(size_t i) const;
  void forget_before(size_t i); // no token before i is read again

private:
  std::unique_ptr<Lexer> lexer_;
  mutable std::deque<Token> window_;
  size_t base_ = 0; // the index of window_.front()
};

} // namespace basc
