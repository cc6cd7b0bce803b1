// The whole compilation: sources in, image blocks and map file out. The
// stages run in order and the first error stops them; no image is made then.
#pragma once
#include "codegen.h"
#include "image.h"
#include <string>

namespace basc {

struct SourceFile {
  std::string name; // a path; plug-ins are found relative to its folder
  std::string text;
};

struct CompileOptions {
  CodegenOptions codegen;
  enum class Warnings { Report, Off, Errors } warnings = Warnings::Report;
};

struct CompileResult {
  bool ok = false;
  std::string error; // file:line:column: error: message (one line per warning made an error)
  std::vector<std::string> warnings; // file:line:column: warning: message; they do not fail it
  img::Image image;
  img::Bytes resources; // the resource block (data3); empty when nothing is carried there
  std::string map;
};

// Takes the sources by value and lets each text go once it is converted: a
// caller done with them moves them in.
CompileResult compile(std::vector<SourceFile> sources, const CompileOptions &options);

} // namespace basc
