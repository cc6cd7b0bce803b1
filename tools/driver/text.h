// Texts as the driver handles them: UTF-8 in scripts and output, UTF-16 for the
// W APIs that read and type them.
#pragma once
#include <string>

namespace text {

std::string utf8(const std::wstring &wide);
std::wstring wide(const std::string &utf8);

// "..." with backslash escapes for \ " and control characters, so that one
// value always stays on one output line.
std::string quote(const std::string &utf8);

// A menu or button caption as a person reads it: "&File" is "File", "a&&b" is
// "a&b", and an accelerator after a tab ("Quit\tCtrl+Q") is left off.
std::string caption(const std::string &utf8);

// True when a window's or menu item's text is the one a script names: exactly,
// as its caption, or as its caption without a trailing "(X)" mnemonic, which
// Japanese menus carry ("編集(&E)" is named "編集").
bool names(const std::string &raw, const std::string &wanted);

} // namespace text
