// Tokens to syntax tree: a recursive-descent parser, one function per rule.
#pragma once
#include "ast.h"
#include "tokenize.h"

namespace basc {

// Adds the declarations of one source file to the program, reading its
// tokens as it goes.
void parse(TokenStream &tokens, Program &program);
void parse(std::vector<Token> tokens, Program &program);

} // namespace basc
