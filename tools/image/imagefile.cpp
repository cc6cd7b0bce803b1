// Images on disk: the appended form and the development-mode block files.
#include "imagefile.h"
#include <fstream>

namespace img {

static const char *const kBlockNames[4] = {"code1", "code2", "data1", "data2"};

// The blocks in file order.
static Bytes *block(Image &im, int i) {
  Bytes *blocks[4] = {&im.code1, &im.code2, &im.data1, &im.data2};
  return blocks[i];
}
static const Bytes *block(const Image &im, int i) { return block(const_cast<Image &>(im), i); }

Bytes write_appended(const Image &im) {
  Bytes out;
  for (int i = 0; i < 4; i++) {
    put_u32(out, uint32_t(block(im, i)->size()));
    put_bytes(out, *block(im, i));
  }
  return out;
}

bool read_appended(const uint8_t *data, size_t size, Image *out, std::string *error) {
  Image im;
  size_t p = 0;
  for (int i = 0; i < 4; i++) {
    if (size - p < 4) {
      *error = std::string("image: ends before the length word of ") + kBlockNames[i];
      return false;
    }
    uint32_t n = get_u32(data + p);
    p += 4;
    if (size - p < n) {
      *error = std::string("image: ") + kBlockNames[i] + " announces " + std::to_string(n) +
               " bytes, " + std::to_string(size - p) + " are left";
      return false;
    }
    block(im, i)->assign(data + p, data + p + n);
    p += n;
  }
  if (p != size) {
    *error = "image: " + std::to_string(size - p) + " bytes follow data2";
    return false;
  }
  *out = std::move(im);
  return true;
}

bool read_file(const std::filesystem::path &path, Bytes *out, std::string *error) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return *error = "cannot open " + path.string(), false;
  out->assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  if (f.bad()) return *error = "cannot read " + path.string(), false;
  return true;
}

bool write_file(const std::filesystem::path &path, const Bytes &bytes, std::string *error) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (f) f.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
  if (f) f.close();
  if (!f) return *error = "cannot write " + path.string(), false;
  return true;
}

bool write_dat_files(const Image &im, const std::filesystem::path &dir, std::string *error) {
  for (int i = 0; i < 4; i++)
    if (!write_file(dir / (std::string(kBlockNames[i]) + ".dat"), *block(im, i), error))
      return false;
  return true;
}

bool read_dat_files(const std::filesystem::path &dir, Image *out, std::string *error) {
  Image im;
  for (int i = 0; i < 4; i++)
    if (!read_file(dir / (std::string(kBlockNames[i]) + ".dat"), block(im, i), error)) return false;
  *out = std::move(im);
  return true;
}

} // namespace img
