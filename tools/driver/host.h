// What the driver reaches of the Unix machine that Wine runs it on: its file
// names, and its programs (ImageMagick's import, for screenshots).
#pragma once
#include <string>

namespace host {

// A file name as Windows programs use it, from a Unix one ("/tmp/x" is
// "Z:\tmp\x"); names that are not absolute Unix ones come back unchanged.
std::string dosPath(const std::string &path);

// The Unix name of a file, from a Windows one; Unix names come back unchanged.
// "" when the name has none (not under Wine).
std::string unixPath(const std::string &path);

// Saves a screenshot of the whole X display as the PNG file png (a Unix
// name), and waits until the file is complete.
bool screenshot(const std::string &png, double seconds, std::string *error);

} // namespace host
