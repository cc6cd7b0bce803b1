// Images on disk: the appended form (four u32-LE-length-prefixed blocks in the
// order code1, code2, data1, data2) and the development-mode .dat files.
#pragma once
#include "image.h"
#include <filesystem>

namespace img {

Bytes write_appended(const Image &image);

// Reads an appended image that fills `size` bytes exactly. False with a
// message when a length word or a block is cut short or bytes are left over.
bool read_appended(const uint8_t *data, size_t size, Image *out, std::string *error);

// code1.dat, code2.dat, data1.dat and data2.dat in `dir`: whole blocks, no
// length words.
bool write_dat_files(const Image &image, const std::filesystem::path &dir, std::string *error);
bool read_dat_files(const std::filesystem::path &dir, Image *out, std::string *error);

bool read_file(const std::filesystem::path &path, Bytes *out, std::string *error);
bool write_file(const std::filesystem::path &path, const Bytes &bytes, std::string *error);

} // namespace img
