// The packer's command line: pack an image into the runtime executable, write
// the development-mode block files, or print a summary of an image.
#include "dump.h"
#include "imagefile.h"
#include "pack.h"
#include <cstdio>
#include <cstring>
#include <filesystem>

static const char kUsage[] =
    "usage: packer pack RUNTIME.exe IMAGE.img OUT.exe [--resources DATA3.bin]\n"
    "       packer dat IMAGE.img DIR\n"
    "       packer dump IMAGE.img\n"
    "IMAGE.img is the appended form: four blocks (code1, code2, data1, data2),\n"
    "each a u32 little-endian length followed by its bytes. The resource block\n"
    "the compiler writes beside it, IMAGE.img.data3, goes with it when no other\n"
    "is named.\n";

static int fail(const std::string &msg) {
  std::fprintf(stderr, "packer: %s\n", msg.c_str());
  return 1;
}

// Reads and checks an image file.
static bool load_image(const char *path, img::Image *im, std::string *error) {
  img::Bytes bytes;
  if (!img::read_file(path, &bytes, error)) return false;
  if (img::read_appended(bytes.data(), bytes.size(), im, error) && img::verify_image(*im, error))
    return true;
  *error = std::string(path) + ": " + *error;
  return false;
}

// The resource block the compiler wrote beside an image, if there is one: an
// image packed without it would run with its pictures, cursors and texts empty.
static std::string companion_resources(const char *image) {
  std::string path = std::string(image) + ".data3";
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec) ? path : "";
}

static int cmd_pack(int argc, char **argv) {
  std::string companion;
  const char *resources_path = nullptr;
  if (argc == 7 && std::strcmp(argv[5], "--resources") == 0)
    resources_path = argv[6];
  else if (argc != 5)
    return std::fputs(kUsage, stderr), 2;
  else if (!(companion = companion_resources(argv[3])).empty())
    resources_path = companion.c_str();
  std::string error;
  img::Bytes runtime, resources, out;
  img::Image im;
  if (!img::read_file(argv[2], &runtime, &error)) return fail(error);
  if (!load_image(argv[3], &im, &error)) return fail(error);
  if (resources_path && !img::read_file(resources_path, &resources, &error)) return fail(error);
  if (!pack::pack_image(runtime, im, resources_path ? &resources : nullptr, &out, &error))
    return fail(std::string(argv[2]) + ": " + error);
  if (!img::write_file(argv[4], out, &error)) return fail(error);
  return 0;
}

static int cmd_dat(int argc, char **argv) {
  if (argc != 4) return std::fputs(kUsage, stderr), 2;
  std::string error;
  img::Image im;
  if (!load_image(argv[2], &im, &error)) return fail(error);
  std::error_code ec;
  std::filesystem::create_directories(argv[3], ec);
  if (ec) return fail(std::string("cannot create ") + argv[3] + ": " + ec.message());
  if (!img::write_dat_files(im, argv[3], &error)) return fail(error);
  if (std::string companion = companion_resources(argv[2]); !companion.empty()) {
    std::filesystem::copy_file(companion, std::filesystem::path(argv[3]) / "data3.dat",
                               std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) return fail("cannot copy " + companion + ": " + ec.message());
  }
  return 0;
}

static int cmd_dump(int argc, char **argv) {
  if (argc != 3) return std::fputs(kUsage, stderr), 2;
  std::string error;
  img::Bytes bytes;
  img::Image im;
  if (!img::read_file(argv[2], &bytes, &error)) return fail(error);
  if (!img::read_appended(bytes.data(), bytes.size(), &im, &error)) return fail(error);
  std::fputs(img::describe_image(im).c_str(), stdout);
  if (!img::verify_image(im, &error)) return fail(error); // still shown, but reported
  return 0;
}

int main(int argc, char **argv) {
  if (argc >= 2 && std::strcmp(argv[1], "pack") == 0) return cmd_pack(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "dat") == 0) return cmd_dat(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "dump") == 0) return cmd_dump(argc, argv);
  std::fputs(kUsage, stderr);
  return 2;
}
