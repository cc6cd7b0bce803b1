// The trace log: "trace.log" in the working directory, one line per call of
// lineTrace, each ended by a single carriage return.
#pragma once

struct RString;

extern "C" void lineTrace(RString *text);
