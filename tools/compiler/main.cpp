// basc: compiles an application's sources into its image.
//   basc [--no-stack-check] [-w | --warnings-as-errors] [-o folder] [--image file] source...
// Writes code1.dat, code2.dat, data1.dat and data2.dat (development mode) into
// the folder, or the appended image into the file, and the map file beside it;
// carried pictures and movies go to the resource block, data3.dat in the
// folder or file.data3 beside the image (for the packer's --resources).
// Exit codes: 0 compiled (or --help), 1 a source error or a file that could not
// be read or written, 2 the command line misused.
#include "compile.h"
#include "imagefile.h"
#include <cstdio>
#include <filesystem>
#include <utility>

namespace fs = std::filesystem;

static const char kUsage[] = "usage: basc [--no-stack-check] [-w | --warnings-as-errors] "
                             "[-o folder] [--image file] source...\n";

static int usage() {
  std::fputs(kUsage, stderr);
  std::fputs("basc --help describes the options and exit codes.\n", stderr);
  return 2;
}

static int help() {
  std::fputs(kUsage, stdout);
  std::fputs("\n"
             "Compiles the sources, together, into one application image.\n"
             "\n"
             "options:\n"
             "  -o folder         write the development files code1.dat, code2.dat, data1.dat\n"
             "                    and data2.dat, and image.map, into the folder (default: .);\n"
             "                    data3.dat too when the program carries pictures or movies\n"
             "  --image file      write the image as one file to append with the packer,\n"
             "                    and its map as file.map; carried pictures and movies go to\n"
             "                    file.data3, for the packer's --resources\n"
             "  --no-stack-check  leave out the stack-depth check at the start of methods,\n"
             "                    event handlers and menu handlers\n"
             "  -w, --no-warnings leave warnings unreported\n"
             "  --warnings-as-errors\n"
             "                    report warnings as errors: the compilation fails and\n"
             "                    nothing is written\n"
             "  --help            print this text\n"
             "\n"
             "diagnostics go to standard error, one a line, as file:line:column: error: ...\n"
             "or file:line:column: warning: ...; the first error ends the compilation.\n"
             "Warnings (a local declared and never read, a statement no path reaches) do\n"
             "not change the exit code.\n"
             "\n"
             "exit codes:\n"
             "  0  compiled and written (or --help)\n"
             "  1  an error in a source (printed as file:line:column: error: ...), a source\n"
             "     that cannot be read, or an output that cannot be written\n"
             "  2  the command line is wrong: an unknown option, or no source\n",
             stdout);
  return 0;
}

int main(int argc, char **argv) {
  basc::CompileOptions options;
  fs::path folder = ".", imageFile;
  std::vector<basc::SourceFile> sources;
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      return help();
    } else if (a == "--no-stack-check") {
      options.codegen.stackCheck = false;
    } else if (a == "-w" || a == "--no-warnings") {
      options.warnings = basc::CompileOptions::Warnings::Off;
    } else if (a == "--warnings-as-errors" || a == "-Werror") {
      options.warnings = basc::CompileOptions::Warnings::Errors;
    } else if (a == "-o" && i + 1 < argc) {
      folder = argv[++i];
    } else if (a == "--image" && i + 1 < argc) {
      imageFile = argv[++i];
    } else if (!a.empty() && a[0] == '-') {
      return usage();
    } else {
      img::Bytes text;
      std::string error;
      if (!img::read_file(a, &text, &error)) {
        std::fprintf(stderr, "%s: error: cannot read the file\n", a.c_str());
        return 1;
      }
      sources.push_back({a, std::string(text.begin(), text.end())});
    }
  }
  if (sources.empty()) return usage();
  basc::CompileResult r = basc::compile(std::move(sources), options);
  for (const std::string &w : r.warnings) std::fprintf(stderr, "%s\n", w.c_str());
  if (!r.ok) {
    std::fprintf(stderr, "%s\n", r.error.c_str());
    return 1;
  }
  std::string error;
  fs::path mapFile, resourceFile;
  bool written;
  if (!imageFile.empty()) {
    written = img::write_file(imageFile, img::write_appended(r.image), &error);
    mapFile = imageFile.string() + ".map";
    resourceFile = imageFile.string() + ".data3";
  } else {
    written = img::write_dat_files(r.image, folder, &error);
    mapFile = folder / "image.map";
    resourceFile = folder / "data3.dat";
  }
  if (written) written = img::write_file(mapFile, img::bytes_of(r.map), &error);
  if (written && !r.resources.empty()) written = img::write_file(resourceFile, r.resources, &error);
  if (!written) {
    std::fprintf(stderr, "basc: error: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
