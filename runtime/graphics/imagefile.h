// Picture files: BMP and packed DIBs read and written natively, JPEG, PNG,
// GIF and the rest through the platform's imaging codecs, and the files
// themselves read whole and written.
#pragma once
#include "graphics/picture.h"
#include <cstddef>

enum class ImageFormat { Bmp, Png, Jpeg };

// Pictures from bytes; nil when the bytes are no picture this runtime reads,
// are damaged, or describe a picture too large to make. Nothing is read
// outside [bytes, bytes + length).
PictureObject *bmp_decode(const uint8_t *bytes, size_t length);       // a BMP file
PictureObject *bmp_decode_dib(const uint8_t *bytes, size_t length);   // a packed DIB
PictureObject *imagefile_decode(const uint8_t *bytes, size_t length); // any format

// The image as a BMP file (24 bits, bottom up) or, without its 14-byte file
// header, as a packed DIB: a block from malloc, or nil.
uint8_t *bmp_encode(PictureImage *image, size_t *length);
constexpr size_t kBmpFileHeader = 14;

// The frames of a multi-frame file after the first, through the platform's
// codecs: decoded into images chained from the first one (PictureImage::next).
PictureObject *codec_decode(const uint8_t *bytes, size_t length);
// Writes the image to the file at path (ANSI) through the platform's encoder.
bool codec_save(PictureImage *image, const char *path, ImageFormat format);

PictureObject *imagefile_load(const char *path); // nil when unreadable
bool imagefile_save(PictureObject *picture, const char *path, ImageFormat format);
// The format a file name's extension names: .png, .jpg/.jpeg, else BMP.
ImageFormat imagefile_format_for(const char *path);
