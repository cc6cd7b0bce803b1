// The packer: the header resource found in a synthetic PE, the offsets it
// receives, the blocks at the end of the file, refusals, and the command line.
#include "hex.h"
#include "imagefile.h"
#include "pack.h"
#include "pe.h"
#include "synthetic_pe.h"
#include <cstdlib>
#include <gtest/gtest.h>

using namespace img;

static Image small_image() {
  Code code;
  Data data;
  data.set_entry(code.here());
  code.push(data.string_const("packed"));
  code.call_import("lineTrace");
  code.add(esp, 4);
  code.ret();
  Image im;
  std::string error;
  EXPECT_TRUE(link_image(code, data, &im, &error)) << error;
  return im;
}

TEST(PeResource, FindsTheHeaderResource) {
  Bytes exe = SyntheticPe().build();
  pe::ResourceSpot spot;
  std::string error;
  ASSERT_TRUE(pe::find_resource(exe, "PICKLE", 101, &spot, &error)) << error;
  EXPECT_EQ(spot.file_offset, 0x200u + 160);
  EXPECT_EQ(spot.size, 8u);
  SyntheticPe lower;
  lower.type = "pickle"; // type names compare without regard to case
  ASSERT_TRUE(pe::find_resource(lower.build(), "PICKLE", 101, &spot, &error)) << error;
}

TEST(Packer, AppendsTheImageAndWritesItsOffset) {
  Bytes exe = SyntheticPe().build();
  Image im = small_image();
  Bytes out;
  std::string error;
  ASSERT_TRUE(pack::pack_image(exe, im, nullptr, &out, &error)) << error;
  Bytes blocks = write_appended(im);
  ASSERT_EQ(out.size(), exe.size() + blocks.size());
  EXPECT_TRUE(std::equal(blocks.begin(), blocks.end(), out.end() - blocks.size()));
  EXPECT_EQ(get_u32(&out[0x200 + 160]), exe.size());
  EXPECT_EQ(get_u32(&out[0x200 + 164]), 0xFFFFFFFFu);
  out[0x200 + 160] = 'P'; // only the eight resource bytes changed
  out[0x200 + 161] = 'I';
  out[0x200 + 162] = 'C';
  out[0x200 + 163] = 'K';
  for (int i = 4; i < 8; i++) out[0x200 + 160 + i] = 0;
  EXPECT_TRUE(std::equal(exe.begin(), exe.end(), out.begin()));
}

TEST(Packer, PlacesTheResourceBlockBeforeTheImage) {
  Bytes exe = SyntheticPe().build();
  Bytes res = hex("00 00 00 01 00 00 00 00 41 42");
  Bytes out;
  std::string error;
  ASSERT_TRUE(pack::pack_image(exe, small_image(), &res, &out, &error)) << error;
  uint32_t image_at = get_u32(&out[0x200 + 160]), res_at = get_u32(&out[0x200 + 164]);
  EXPECT_EQ(res_at, exe.size());
  EXPECT_EQ(image_at, exe.size() + res.size());
  EXPECT_TRUE(std::equal(res.begin(), res.end(), out.begin() + res_at));
  Image back;
  ASSERT_TRUE(read_appended(&out[image_at], out.size() - image_at, &back, &error)) << error;
  EXPECT_EQ(back, small_image());
}

static Bytes pe_with(const char *type, uint16_t id, const char *data) {
  SyntheticPe p;
  p.type = type;
  p.id = id;
  p.data = hex(data);
  return p.build();
}

TEST(Packer, RefusesInputsItCannotHandle) {
  Bytes packed, cut = SyntheticPe().build();
  std::string error;
  ASSERT_TRUE(pack::pack_image(cut, small_image(), nullptr, &packed, &error));
  cut.resize(0x200 + 100); // the resource tree is cut short
  Bytes short_table = hex("00 00 00 02 00 00 00 00");
  struct Case {
    const char *why;
    Bytes runtime;
    const Bytes *resources;
  } cases[] = {
      {"not a PE file", bytes_of("#!/bin/sh\necho hello\n"), nullptr},
      {"not a PE file", {}, nullptr},
      {"no resource PICKLE/101", pe_with("PICKLES", 101, "50 49 43 4b 00 00 00 00"), nullptr},
      {"no resource PICKLE/101", pe_with("PICKLE", 102, "50 49 43 4b 00 00 00 00"), nullptr},
      {"has 4 bytes instead of 8", pe_with("PICKLE", 101, "50 49 43 4b"), nullptr},
      {"already carries an image", packed, nullptr},
      {"not in the file", cut, nullptr},
      {"too short", SyntheticPe().build(), &short_table},
  };
  for (const Case &c : cases) {
    Bytes out;
    EXPECT_FALSE(pack::pack_image(c.runtime, small_image(), c.resources, &out, &error)) << c.why;
    EXPECT_NE(error.find(c.why), std::string::npos) << c.why << ": " << error;
    EXPECT_TRUE(out.empty());
  }
}

// The real runtime, when the cross build has made it, carries the resource
// unpacked.
TEST(PeResource, RealRuntimeCarriesAnUnpackedHeaderResource) {
  Bytes exe;
  std::string error;
  if (!read_file(RUNTIME_EXE, &exe, &error)) GTEST_SKIP() << error;
  pe::ResourceSpot spot;
  ASSERT_TRUE(pe::find_resource(exe, "PICKLE", 101, &spot, &error)) << error;
  EXPECT_EQ(spot.size, 8u);
  EXPECT_EQ(std::string(exe.begin() + spot.file_offset, exe.begin() + spot.file_offset + 4),
            "PICK");
  Bytes out;
  ASSERT_TRUE(pack::pack_image(exe, small_image(), nullptr, &out, &error)) << error;
  EXPECT_EQ(get_u32(&out[spot.file_offset]), exe.size());
}

// The command line, driven as a person would.
class PackerCommand : public ::testing::Test {
protected:
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("packer-cli-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  void SetUp() override {
    std::filesystem::create_directories(dir);
    std::string e;
    ASSERT_TRUE(write_file(dir / "runtime.exe", SyntheticPe().build(), &e));
    ASSERT_TRUE(write_file(dir / "app.img", write_appended(small_image()), &e));
    ASSERT_TRUE(write_file(dir / "bad.img", hex("05 00 00 00 c3"), &e));
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  int run(const std::string &args) {
    std::string cmd = std::string(PACKER_EXE) + " " + args + " 2>" + (dir / "err.txt").string();
    int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string err() {
    Bytes b;
    std::string e;
    read_file(dir / "err.txt", &b, &e);
    return std::string(b.begin(), b.end());
  }
  std::string p(const char *name) { return (dir / name).string(); }
};

TEST_F(PackerCommand, PacksAnImage) {
  EXPECT_EQ(run("pack " + p("runtime.exe") + " " + p("app.img") + " " + p("out.exe")), 0) << err();
  Bytes out;
  std::string e;
  ASSERT_TRUE(read_file(dir / "out.exe", &out, &e));
  EXPECT_EQ(get_u32(&out[0x200 + 160]), 0x400u);
}

TEST_F(PackerCommand, TakesTheResourceBlockWrittenBesideTheImage) {
  std::string e;
  Bytes block = hex("00 00 00 01 00 00 00 00 00 00 00 02 ab cd");
  ASSERT_TRUE(write_file(dir / "app.img.data3", block, &e));
  EXPECT_EQ(run("pack " + p("runtime.exe") + " " + p("app.img") + " " + p("out.exe")), 0) << err();
  Bytes out;
  ASSERT_TRUE(read_file(dir / "out.exe", &out, &e));
  uint32_t at = get_u32(&out[0x200 + 164]);
  ASSERT_NE(at, 0xFFFFFFFFu);
  ASSERT_LE(at + block.size(), out.size());
  EXPECT_EQ(Bytes(out.begin() + at, out.begin() + at + block.size()), block);

  EXPECT_EQ(run("dat " + p("app.img") + " " + p("dev")), 0) << err();
  Bytes dat;
  ASSERT_TRUE(read_file(dir / "dev" / "data3.dat", &dat, &e)) << e;
  EXPECT_EQ(dat, block);
}

TEST_F(PackerCommand, WritesDatFiles) {
  EXPECT_EQ(run("dat " + p("app.img") + " " + p("dev")), 0) << err();
  Image im;
  std::string e;
  ASSERT_TRUE(read_dat_files(dir / "dev", &im, &e)) << e;
  EXPECT_EQ(im, small_image());
}

TEST_F(PackerCommand, RefusesWithAMessage) {
  struct Case {
    std::string args;
    int status;
    const char *message;
  } cases[] = {
      {"pack " + p("missing.exe") + " " + p("app.img") + " " + p("o.exe"), 1, "cannot open"},
      {"pack " + p("runtime.exe") + " " + p("bad.img") + " " + p("o.exe"), 1, "code1 announces"},
      {"pack " + p("app.img") + " " + p("app.img") + " " + p("o.exe"), 1, "not a PE file"},
      {"dat " + p("bad.img") + " " + p("dev"), 1, "bad.img"},
      {"pack " + p("runtime.exe"), 2, "usage"},
      {"frobnicate", 2, "usage"},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(run(c.args), c.status) << c.args;
    EXPECT_NE(err().find(c.message), std::string::npos) << c.args << ": " << err();
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "o.exe"));
}
