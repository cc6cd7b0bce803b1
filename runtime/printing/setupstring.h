// The text form of a printer setup, which a program keeps to print with the
// same settings later: the fields written as text and read back strictly,
// with a check value, so that damaged text is refused rather than trusted.
// Platform-free: it knows numbers and a name, not the spooler.
#pragma once
#include <cstdint>

constexpr int32_t kPrinterNameMax = 260;   // a printer's name, terminator included
constexpr int32_t kSetupTextMax = 1024;    // the longest text form, terminator included
constexpr int32_t kResolutionMax = 1200;   // units per inch a Graphics may draw in
constexpr int32_t kDeviceShortMax = 32767; // the platform keeps these settings in 16 bits

// The settings the text form carries. Paper, length, width, quality and
// yResolution are the printer's own numbers (0: the printer's default);
// resolutions are the Graphics' units per inch (0: the printer's dots).
struct SetupFields {
  char printer[kPrinterNameMax]; // "" = the system's default printer
  int32_t landscape;             // 0 or 1
  int32_t paper;                 // the platform's paper size code
  int32_t paperLength;           // tenths of a millimetre, for a paper of its own size
  int32_t paperWidth;
  int32_t quality;     // dots per inch across, or the platform's negative quality codes
  int32_t yResolution; // dots per inch down
  int32_t resolutionX; // the Graphics' units per inch
  int32_t resolutionY;
};

// Writes the text form into out (kSetupTextMax bytes) and returns its
// length; fields out of their ranges are written clamped into them.
int32_t setup_encode(const SetupFields &fields, char *out);
// Reads a text form: true with *fields set only when it is whole and
// undamaged (every field present once, in order, in its range, and the check
// value right); *fields is left alone otherwise.
bool setup_decode(const char *text, int32_t length, SetupFields *fields);
