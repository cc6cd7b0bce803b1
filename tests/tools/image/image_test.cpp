// Whole images: data1 layout and string constants, linking code and data into
// the four blocks, the appended form, the .dat files, the structural check and
// the resource block.
#include "hex.h"
#include "imagefile.h"
#include "resources.h"
#include <functional>
#include <gtest/gtest.h>

using namespace img;

// The smallest useful image: the entry routine traces "hello" and returns.
static Image hello_image() {
  Code code;
  Data data;
  DataLabel hello = data.string_const("hello");
  CodeLabel entry = code.here();
  code.push(ebp);
  code.mov(ebp, esp);
  code.push(hello);
  code.call_import("lineTrace");
  code.call_descriptor();
  code.add(esp, 4);
  code.leave();
  code.ret();
  code.frame_map({});
  data.set_entry(entry);
  Image im;
  std::string error;
  EXPECT_TRUE(link_image(code, data, &im, &error)) << error;
  return im;
}

TEST(Data1, LaysOutStaticStringConstants) {
  Data d;
  DataLabel s = d.string_const("Hello");
  EXPECT_EQ(d.offset(s), 8u);
  EXPECT_EQ(to_hex(Bytes(d.bytes().begin() + 8, d.bytes().end())),
            "01 00 00 00 00 00 00 00 07 00 00 00 05 00 00 00 " // count, buffer, size, length
            "05 48 65 6c 6c 6f 00 00");                        // length byte, text, NUL, pad
  ASSERT_EQ(d.data_ptrs().size(), 1u);
  EXPECT_EQ(d.data_ptrs()[0].at, 12u);
  EXPECT_EQ(d.offset(d.data_ptrs()[0].target.label), 24u);
}

TEST(Data1, LongStringsCarryLength255InTheirLengthByte) {
  Data d;
  std::string text(300, 'x');
  DataLabel s = d.string_const(text);
  const Bytes &b = d.bytes();
  uint32_t at = *d.offset(s);
  EXPECT_EQ(get_u32(&b[at + 8]), 302u);
  EXPECT_EQ(get_u32(&b[at + 12]), 300u);
  EXPECT_EQ(b[at + 16], 255);
  EXPECT_EQ(b[at + 16 + 301], 0);     // NUL after the text
  EXPECT_EQ(d.size(), at + 16 + 304); // 302 bytes padded to 304
}

TEST(Data1, EmptyStringIsNilWithoutRecordOrRelocation) {
  Data d;
  DataLabel s = d.string_const("");
  EXPECT_TRUE(s.is_nil());
  d.data_ptr(s);
  EXPECT_EQ(d.size(), 12u);
  EXPECT_TRUE(d.data_ptrs().empty());
}

TEST(Image, LinksTheHelloImageByteExactly) {
  Image im = hello_image();
  EXPECT_EQ(to_hex(im.code1), "55 89 e5 68 08 00 00 00 e8 00 00 00 00 eb 03 90 eb 00 "
                              "83 c4 04 c9 c3 2f 00");
  EXPECT_EQ(to_hex(im.code2), "01 09 00 00 00 09 6c 69 6e 65 54 72 61 63 65 02 04 00 00 00");
  EXPECT_EQ(to_hex(im.data1), "00 00 00 00 00 00 00 00 01 00 00 00 18 00 00 00 "
                              "07 00 00 00 05 00 00 00 05 68 65 6c 6c 6f 00 00");
  EXPECT_EQ(to_hex(im.data2), "00 40 07 80 00 42 0f 80");
  std::string error;
  EXPECT_TRUE(verify_image(im, &error)) << error;
}

TEST(Image, ResolvesForwardLabelsAndPointersBothWays) {
  Code code;
  Data data;
  DataLabel table = data.label(), later = data.label();
  CodeLabel entry = code.label(), helper = code.label();
  data.set_class_directory(table);
  data.bind(table);
  data.code_ptr(helper); // a code pointer placed before its routine exists
  data.data_ptr(later + 4);
  data.f64(0.5);
  data.bind(later);
  data.i32(-1);
  code.bind(helper);
  code.ret();
  code.bind(entry);
  code.fld64(mem(table + 8));
  code.ret();
  data.set_entry(entry);
  Image im;
  std::string error;
  ASSERT_TRUE(link_image(code, data, &im, &error)) << error;
  EXPECT_EQ(get_u32(&im.data1[0]), 1u);   // entry after helper's ret
  EXPECT_EQ(get_u32(&im.data1[4]), 8u);   // class directory
  EXPECT_EQ(get_u32(&im.data1[8]), 0u);   // helper at code1 0
  EXPECT_EQ(get_u32(&im.data1[12]), 28u); // later (24) + 4
  EXPECT_EQ(to_hex(im.code1), "c3 dd 05 10 00 00 00 c3");
  EXPECT_EQ(to_hex(im.code2), "02 03 00 00 00");
  // words 0 (code), 4 (data), 8 (code), 12 (data); then 12 bytes to the end
  EXPECT_EQ(to_hex(im.data2), "00 40 00 42 00 40 00 42 0b 80");
  EXPECT_TRUE(verify_image(im, &error)) << error;
}

TEST(Image, RefusesToLinkWhatCannotBeResolved) {
  struct Case {
    const char *why;
    std::function<void(Code &, Data &)> build;
  } cases[] = {
      {"entry routine", [](Code &c, Data &) { c.ret(); }},
      {"data label",
       [](Code &c, Data &d) {
         d.set_entry(c.here());
         c.push(DataRef(d.label()));
       }},
      {"never bound",
       [](Code &c, Data &d) {
         d.set_entry(c.here());
         c.jmp(c.label());
       }},
      {"code pointer",
       [](Code &c, Data &d) {
         d.set_entry(c.here());
         d.code_ptr(c.label());
       }},
  };
  for (const Case &k : cases) {
    Code code;
    Data data;
    k.build(code, data);
    Image im;
    std::string error;
    EXPECT_FALSE(link_image(code, data, &im, &error)) << k.why;
    EXPECT_NE(error.find(k.why), std::string::npos) << error;
  }
}

TEST(Image, VerifyRefusesImagesTheLoaderWouldMishandle) {
  struct Case {
    const char *why;
    std::function<void(Image &)> damage;
  } cases[] = {
      {"past the end", [](Image &im) { im.code2.pop_back(); }},
      {"not the operand of a call", [](Image &im) { im.code2[1] = 3; }},
      {"two fix-up chains", [](Image &im) { put_bytes(im.code2, hex("01 09 00 00 00 01 41")); }},
      {"outside code1", [](Image &im) { put_bytes(im.code2, hex("02 18 00 00 00")); }},
      {"holds an offset outside data1", [](Image &im) { im.code1[4] = 0x40; }},
      {"outside data1", [](Image &im) { put_bytes(im.data2, hex("00 42")); }},
      {"word 0", [](Image &im) { im.data2.clear(); }},
      {"points outside code1", [](Image &im) { im.data1[0] = 0x80; }},
      {"two reserved words", [](Image &im) { im.data1.resize(6); }},
  };
  for (const Case &c : cases) {
    Image im = hello_image();
    c.damage(im);
    std::string error;
    EXPECT_FALSE(verify_image(im, &error)) << c.why;
    EXPECT_NE(error.find(c.why), std::string::npos) << c.why << ": " << error;
  }
}

TEST(AppendedForm, RoundTripsAndRefusesEveryTruncation) {
  Image im = hello_image();
  Bytes file = write_appended(im);
  ASSERT_EQ(file.size(),
            16 + im.code1.size() + im.code2.size() + im.data1.size() + im.data2.size());
  EXPECT_EQ(to_hex(Bytes(file.begin(), file.begin() + 4)), "19 00 00 00"); // code1: 25 bytes
  Image back;
  std::string error;
  ASSERT_TRUE(read_appended(file.data(), file.size(), &back, &error)) << error;
  EXPECT_EQ(back, im);
  for (size_t n = 0; n < file.size(); n++)
    EXPECT_FALSE(read_appended(file.data(), n, &back, &error)) << "cut at " << n;
  file.push_back(0);
  EXPECT_FALSE(read_appended(file.data(), file.size(), &back, &error));
  EXPECT_NE(error.find("1 bytes follow data2"), std::string::npos) << error;
}

TEST(DatFiles, HoldTheWholeBlocksWithoutLengthWords) {
  Image im = hello_image();
  auto dir = std::filesystem::temp_directory_path() /
             ("imagekit-dat-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::create_directories(dir);
  std::string error;
  ASSERT_TRUE(write_dat_files(im, dir, &error)) << error;
  EXPECT_EQ(std::filesystem::file_size(dir / "code2.dat"), im.code2.size());
  Image back;
  ASSERT_TRUE(read_dat_files(dir, &back, &error)) << error;
  EXPECT_EQ(back, im);
  std::filesystem::remove_all(dir);
  EXPECT_FALSE(read_dat_files(dir, &back, &error));
  EXPECT_NE(error.find("code1.dat"), std::string::npos) << error;
}

TEST(ResourceBlock, IndexesEntriesFromTheEndOfTheOffsetTable) {
  Bytes block = encode_resource_block({bytes_of("abc"), Bytes(68, 7)});
  EXPECT_EQ(to_hex(Bytes(block.begin(), block.begin() + 12)),
            "00 00 00 02 00 00 00 00 00 00 00 03");
  EXPECT_EQ(block.size(), 12u + 3 + 68);
  size_t at = 0;
  std::string error;
  ASSERT_TRUE(resource_entry(block, 1, &at, &error));
  EXPECT_EQ(at, 12u);
  ASSERT_TRUE(resource_entry(block, 2, &at, &error));
  EXPECT_EQ(at, 15u);
  EXPECT_FALSE(resource_entry(block, 0, &at, &error));
  EXPECT_FALSE(resource_entry(block, 3, &at, &error));
  EXPECT_FALSE(resource_entry(hex("00 00 00 05 00 00 00 00"), 1, &at, &error)); // table cut
}
