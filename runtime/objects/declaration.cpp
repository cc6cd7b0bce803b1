// Member declarations as plug-ins write them, "Name(x As Integer, ByRef s()
// As String) As Double": a small tokenizer and a recursive-descent reader
// that yields the name, the parameter text and array, and the result type.
#include "objects/classdef.h"
#include "base/tagged.h"
#include "text/string.h"
#include <cstring>

enum { kMaxParameters = 32 };

enum TokenKind { kEnd, kName, kPunct, kOther };

struct Token {
  TokenKind kind;
  int32_t start;  // offset in the text
  int32_t length; // bytes
};

struct Reader {
  const char *text;
  ClassLookup classNamed; // the classes a type name may stand for; nil: none
  int32_t pos;            // where the next token is looked for
  Token tok;              // the current token
};

static bool isNameStart(uint8_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}

static bool isNamePart(uint8_t c) { return isNameStart(c) || (c >= '0' && c <= '9'); }

static void advance(Reader *r) {
  const uint8_t *s = (const uint8_t *)r->text;
  int32_t p = r->pos;
  while (s[p] == ' ' || s[p] == '\t') p++;
  Token t = {kEnd, p, 0};
  if (s[p] == 0 || s[p] == '\'' || (s[p] == '/' && s[p + 1] == '/')) {
    r->tok = t; /* a comment ends the text */
    r->pos = p;
    return;
  }
  if (isNamePart(s[p])) {
    t.kind = isNameStart(s[p]) ? kName : kOther;
    while (isNamePart(s[p])) p++;
  } else {
    t.kind = kPunct;
    p++;
  }
  t.length = p - t.start;
  r->tok = t;
  r->pos = p;
}

static bool isPunct(const Reader *r, char c) {
  return r->tok.kind == kPunct && r->text[r->tok.start] == c;
}

static bool isKeyword(const Reader *r, const char *word) {
  return r->tok.kind == kName &&
         names_equal(r->text + r->tok.start, r->tok.length, word, (int32_t)strlen(word));
}

static RString *tokenText(const Reader *r) {
  return str_make(r->text + r->tok.start, r->tok.length);
}

// A type keyword, or the class a name stands for; nil when it is neither.
static const void *typeOf(const Reader *r) {
  if (r->tok.kind != kName) return nullptr;
  if (const TypeDescriptor *t = type_named(r->text + r->tok.start, r->tok.length)) return t;
  if (!r->classNamed) return nullptr;
  RString *name = tokenText(r);
  const void *cls = r->classNamed(str_cview(name));
  RuntimeUnlockString(name);
  return cls;
}

static void dropParameters(ParsedParameter *p, int32_t count) {
  for (int32_t i = 0; i < count; i++) {
    RuntimeUnlockString(p[i].name);
    if (type_is_array(p[i].type)) tagged_free((void *)p[i].type);
  }
}

// parameter = [ "ByVal" | "ByRef" | "Const" ] name [ "()" ] "As" type
static bool parameter(Reader *r, ParsedParameter *p) {
  if (isKeyword(r, "ByRef")) {
    p->byRef = 1;
    advance(r);
  } else if (isKeyword(r, "ByVal") || isKeyword(r, "Const")) {
    advance(r);
  }
  if (r->tok.kind != kName) return false;
  p->name = tokenText(r);
  advance(r);
  bool array = false;
  if (isPunct(r, '(')) {
    advance(r);
    if (!isPunct(r, ')')) return false;
    advance(r);
    array = true;
  }
  if (!isKeyword(r, "As")) return false;
  advance(r);
  const void *type = typeOf(r);
  if (!type) return false;
  advance(r);
  if (array) {
    ArrayType *a = (ArrayType *)tagged_alloc(sizeof(ArrayType));
    *a = ArrayType{1, type, 1};
    type = a;
  }
  p->type = type;
  return true;
}

// "(" [ parameter { "," parameter } ] ")", the current token being "(".
static bool parameterList(Reader *r, Declaration *d, ParsedParameter *list) {
  int32_t open = r->tok.start + 1;
  advance(r);
  if (!isPunct(r, ')'))
    for (;;) {
      if (d->parameterCount == kMaxParameters) return false;
      ParsedParameter *p = &list[d->parameterCount++];
      if (!parameter(r, p)) return false;
      if (isPunct(r, ')')) break;
      if (!isPunct(r, ',')) return false;
      advance(r);
    }
  d->parameterText = str_make(r->text + open, r->tok.start - open);
  advance(r);
  return true;
}

static void appendBytes(RString **s, const char *bytes, int32_t n) {
  RString *t = str_make(bytes, n);
  str_append(s, t);
  RuntimeUnlockString(t);
}

static void appendText(RString **s, const char *text) {
  appendBytes(s, text, (int32_t)strlen(text));
}

enum Failure { kNone, kFormat, kReturnType, kUnknownType };

// declaration = name [ parameter list ] [ "As" type ], then the end of the text.
static Failure declaration(Reader *r, Declaration *d, ParsedParameter *list) {
  advance(r);
  if (r->tok.kind != kName) return kFormat;
  d->name = tokenText(r);
  advance(r);
  if (isPunct(r, '(') && !parameterList(r, d, list)) return kFormat;
  if (isKeyword(r, "As")) {
    advance(r);
    if (r->tok.kind != kName) return kReturnType;
    d->resultType = typeOf(r);
    if (!d->resultType) return kUnknownType;
    d->resultTypeName = tokenText(r);
    advance(r);
  }
  return r->tok.kind == kEnd ? kNone : kFormat; /* nothing may follow */
}

bool decl_parse(const char *text, Declaration *out, RString **error, ClassLookup classNamed) {
  memset(out, 0, sizeof *out);
  *error = nullptr;
  Reader r = {text, classNamed, 0, {kEnd, 0, 0}};
  ParsedParameter list[kMaxParameters] = {};
  Failure failure = declaration(&r, out, list);
  if (failure == kNone) {
    if (out->parameterCount) {
      int32_t bytes = out->parameterCount * (int32_t)sizeof(ParsedParameter);
      out->parameters = (ParsedParameter *)tagged_alloc(bytes);
      memcpy(out->parameters, list, bytes);
    }
    return true;
  }
  dropParameters(list, out->parameterCount);
  out->parameterCount = 0;
  decl_release(out);
  RString *e = nullptr;
  if (failure == kUnknownType) {
    appendText(&e, "Unknown type \"");
    appendBytes(&e, text + r.tok.start, r.tok.length);
    appendText(&e, "\" in plugin method ");
  } else {
    appendText(&e, failure == kFormat ? "Invalid plugin method format: " : "Invalid return type: ");
  }
  appendText(&e, text);
  *error = e;
  return false;
}

void decl_release(Declaration *d) {
  RuntimeUnlockString(d->name);
  RuntimeUnlockString(d->parameterText);
  RuntimeUnlockString(d->resultTypeName);
  params_release(d->parameters, d->parameterCount);
  memset(d, 0, sizeof *d);
}
