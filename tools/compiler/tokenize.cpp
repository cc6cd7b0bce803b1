// The tokenizer: one pass over the bytes with a line and column count. Bytes
// above 0x7F are allowed only inside strings and comments.
#include "tokenize.h"
#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace basc {

struct Lexer {
  const std::string *file;
  std::string_view s;
  size_t p = 0;
  int line = 1, col = 1;
  std::vector<Token> out;          // lexed, not yet taken
  bool done = false;               // the End token is out
  TokKind last = TokKind::Newline; // of the last token out: a source opens as after a line end

  Loc loc() const { return {file, line, col}; }
  char peek(size_t k = 0) const { return p + k < s.size() ? s[p + k] : '\0'; }
  void advance(size_t n = 1) {
    for (; n > 0 && p < s.size(); n--, p++) {
      if (s[p] == '\n') {
        line++;
        col = 1;
      } else {
        col++;
      }
    }
  }
  void add(TokKind kind, std::string text, Loc at) {
    Token t{kind, std::move(text), "", 0, 0, at};
    for (char c : t.text) t.upper += char(std::toupper((unsigned char)c));
    last = t.kind;
    out.push_back(std::move(t));
  }
  void newline(Loc at) {
    if (last != TokKind::Newline) add(TokKind::Newline, "", at);
  }

  void skip_comment() {
    while (p < s.size() && s[p] != '\n') advance();
  }
  void string_literal();
  void number();
  void hex_literal();
  void word();
  void punct();
  void step();
};

void Lexer::string_literal() {
  Loc at = loc();
  advance();
  std::string v;
  for (;;) {
    if (p >= s.size() || s[p] == '\n') error_at(at, "unterminated string literal");
    if (s[p] == '"') {
      if (peek(1) == '"') { /* "" is one quote */
        v += '"';
        advance(2);
        continue;
      }
      advance();
      break;
    }
    if (s[p] == '\0') error_at(loc(), "NUL byte inside a string literal");
    v += s[p];
    advance();
  }
  add(TokKind::Str, "", at);
  out.back().text = std::move(v);
}

void Lexer::number() {
  Loc at = loc();
  size_t start = p;
  bool real = false;
  while (std::isdigit((unsigned char)peek())) advance();
  if (peek() == '.' && std::isdigit((unsigned char)peek(1))) {
    real = true;
    advance();
    while (std::isdigit((unsigned char)peek())) advance();
  }
  if ((peek() == 'e' || peek() == 'E') &&
      (std::isdigit((unsigned char)peek(1)) ||
       ((peek(1) == '+' || peek(1) == '-') && std::isdigit((unsigned char)peek(2))))) {
    real = true;
    advance(2);
    while (std::isdigit((unsigned char)peek())) advance();
  }
  if (std::isalpha((unsigned char)peek()) || peek() == '_')
    error_at(loc(), "unexpected character '" + std::string(1, peek()) + "' after a number");
  std::string text(s.substr(start, p - start));
  if (real) {
    add(TokKind::Real, text, at);
    out.back().fval = std::strtod(text.c_str(), nullptr);
    return;
  }
  if (text.size() > 10 || std::strtoll(text.c_str(), nullptr, 10) > 2147483648LL)
    error_at(at, "integer literal " + text + " is out of range");
  add(TokKind::Int, text, at);
  out.back().ival = std::strtoll(text.c_str(), nullptr, 10);
}

// &h1F (hexadecimal integer) and &cRRGGBB (colour).
void Lexer::hex_literal() {
  Loc at = loc();
  char k = char(std::toupper((unsigned char)peek(1)));
  if (k != 'H' && k != 'C') error_at(at, "expected &h or &c before a hexadecimal number");
  advance(2);
  size_t start = p;
  while (std::isxdigit((unsigned char)peek())) advance();
  std::string digits(s.substr(start, p - start));
  if (digits.empty() || digits.size() > 8) error_at(at, "malformed hexadecimal literal");
  if (k == 'C' && digits.size() != 6) error_at(at, "a colour literal has six hex digits: &cRRGGBB");
  add(k == 'C' ? TokKind::Color : TokKind::Int, "&" + std::string(1, k) + digits, at);
  out.back().ival = int64_t(int32_t(uint32_t(std::strtoul(digits.c_str(), nullptr, 16))));
}

void Lexer::word() {
  Loc at = loc();
  size_t start = p;
  while (std::isalnum((unsigned char)peek()) || peek() == '_') advance();
  add(TokKind::Word, std::string(s.substr(start, p - start)), at);
}

void Lexer::punct() {
  static const char *two[] = {"<=", ">=", "<>"};
  Loc at = loc();
  for (const char *t : two)
    if (peek() == t[0] && peek(1) == t[1]) {
      advance(2);
      return add(TokKind::Punct, t, at);
    }
  char c = peek();
  static const char *const kForeign[][2] = {
      {"!=", "write '<>' for not equal"}, {"&&", "write And"}, {"||", "write Or"}};
  for (auto &[op, fix] : kForeign)
    if (c == op[0] && peek(1) == op[1])
      error_at(at, std::string("'") + op + "' is not an operator; " + fix);
  if (std::string_view("()=<>+-*/\\,.&^").find(c) == std::string_view::npos) {
    char buf[64];
    unsigned char u = (unsigned char)c;
    if (u >= 0x20 && u < 0x7F)
      snprintf(buf, sizeof buf, "unexpected character '%c'", c);
    else
      snprintf(buf, sizeof buf, "unexpected byte 0x%02X", u);
    error_at(at, buf);
  }
  advance();
  add(TokKind::Punct, std::string(1, c), at);
}

// Lexes until at least one more token is out, or the source is done.
void Lexer::step() {
  size_t before = out.size();
  while (out.size() == before && p < s.size()) {
    char c = s[p];
    if (c == '\n') {
      newline(loc());
      advance();
    } else if (c == ' ' || c == '\t' || c == '\r') {
      advance();
    } else if (c == '\'' || (c == '/' && peek(1) == '/')) {
      skip_comment();
    } else if (c == '"') {
      string_literal();
    } else if (std::isdigit((unsigned char)c)) {
      number();
    } else if (c == '&' && (std::isalpha((unsigned char)peek(1)))) {
      hex_literal();
    } else if (std::isalpha((unsigned char)c) || c == '_') {
      word();
    } else {
      punct();
    }
  }
  if (p >= s.size() && !done) {
    newline(loc());
    add(TokKind::End, "", loc());
    done = true;
  }
}

static std::string_view without_bom(std::string_view src) {
  if (src.size() >= 3 && (unsigned char)src[0] == 0xEF && (unsigned char)src[1] == 0xBB &&
      (unsigned char)src[2] == 0xBF)
    src.remove_prefix(3); /* a byte-order mark */
  return src;
}

std::vector<Token> tokenize(const std::string *file, std::string_view src) {
  Lexer lx{file, without_bom(src), 0, 1, 1, {}};
  while (!lx.done) lx.step();
  return std::move(lx.out);
}

TokenStream::TokenStream(const std::string *file, std::string_view src)
    : lexer_(new Lexer{file, without_bom(src), 0, 1, 1, {}}) {}

TokenStream::TokenStream(std::vector<Token> tokens)
    : window_(std::make_move_iterator(tokens.begin()), std::make_move_iterator(tokens.end())) {}

TokenStream::~TokenStream() = default;

const Token &TokenStream::at(size_t i) const {
  while (base_ + window_.size() <= i && lexer_ && !(lexer_->done && lexer_->out.empty())) {
    if (lexer_->out.empty()) lexer_->step();
    for (Token &t : lexer_->out) window_.push_back(std::move(t));
    lexer_->out.clear();
  }
  if (i < base_) error_at(window_.front().loc, "internal error: a forgotten token was read again");
  return i < base_ + window_.size() ? window_[i - base_] : window_.back();
}

void TokenStream::forget_before(size_t i) {
  while (base_ < i && window_.size() > 1) {
    window_.pop_front();
    base_++;
  }
}

} // namespace basc
