// Picture files through the platform's imaging codecs (PNG, JPEG, GIF, ICO,
// TIFF...), every frame of a multi-frame file, and the dispatch that reads BMP
// natively and whole files from disk.
#include "graphics/imagefile.h"
#include <wincodec.h>
#include <cstdlib>
#include <cstring>

constexpr uint32_t kOpaque = 255;
constexpr uint32_t kMaxFrames = 1024; /* a bound on what one file may make us hold */
constexpr uint32_t kMaxFileBytes = 256u << 20;

// COM for the calling thread, for the length of one codec call.
struct ComScope {
  HRESULT hr;
  ComScope() : hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
};

template <typename T> static void release(T *&p) {
  if (p) p->Release();
  p = nullptr;
}

static IWICImagingFactory *factory() {
  IWICImagingFactory *f = nullptr;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, (void **)&f)))
    return nullptr;
  return f;
}

/* ---- reading ---- */

struct DepthOf {
  const GUID *format;
  int32_t depth;
};

static int32_t depthOf(IWICBitmapFrameDecode *frame) {
  static const DepthOf kDepths[] = {
      {&GUID_WICPixelFormat1bppIndexed, 1}, {&GUID_WICPixelFormat2bppIndexed, 2},
      {&GUID_WICPixelFormat4bppIndexed, 4}, {&GUID_WICPixelFormat8bppIndexed, 8},
      {&GUID_WICPixelFormat8bppGray, 8},    {&GUID_WICPixelFormat24bppBGR, 24},
      {&GUID_WICPixelFormat24bppRGB, 24},
  };
  WICPixelFormatGUID format;
  if (SUCCEEDED(frame->GetPixelFormat(&format)))
    for (const DepthOf &d : kDepths)
      if (IsEqualGUID(format, *d.format)) return d.depth;
  return 32;
}

// Straight alpha laid over white, the colour a new picture starts with.
static uint32_t overWhite(uint32_t bgra) {
  uint32_t a = bgra >> 24, out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    uint32_t c = bgra >> shift & 0xFF;
    out |= (c * a + 255 * (kOpaque - a) + 127) / 255 << shift;
  }
  return out;
}

static PictureImage *decodeFrame(IWICImagingFactory *f, IWICBitmapFrameDecode *frame) {
  UINT width = 0, height = 0;
  if (FAILED(frame->GetSize(&width, &height)) || width > (UINT)kPictureMaxSide ||
      height > (UINT)kPictureMaxSide)
    return nullptr;
  PictureImage *image = picture_image_new((int32_t)width, (int32_t)height, depthOf(frame));
  IWICFormatConverter *converter = nullptr;
  bool ok =
      image && SUCCEEDED(f->CreateFormatConverter(&converter)) &&
      SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                      nullptr, 0, WICBitmapPaletteTypeCustom)) &&
      SUCCEEDED(converter->CopyPixels(nullptr, width * 4, width * height * 4, (BYTE *)image->bits));
  release(converter);
  if (!ok) {
    picture_image_free(image);
    return nullptr;
  }
  for (size_t i = 0, n = (size_t)width * height; i < n; i++)
    image->bits[i] = overWhite(image->bits[i]);
  double dpiX = 0, dpiY = 0;
  if (SUCCEEDED(frame->GetResolution(&dpiX, &dpiY)) && dpiX >= 1 && dpiY >= 1) {
    image->hres = (int32_t)(dpiX + 0.5);
    image->vres = (int32_t)(dpiY + 0.5);
  }
  return image;
}

// The file's frames, the first one's image heading the chain; nil when the
// first cannot be read (later ones that cannot are left out).
static PictureImage *decodeFrames(IWICImagingFactory *f, IWICBitmapDecoder *decoder) {
  UINT count = 0;
  if (FAILED(decoder->GetFrameCount(&count)) || count == 0) return nullptr;
  if (count > kMaxFrames) count = kMaxFrames;
  PictureImage *first = nullptr, **link = &first;
  for (UINT i = 0; i < count; i++) {
    IWICBitmapFrameDecode *frame = nullptr;
    PictureImage *image = nullptr;
    if (SUCCEEDED(decoder->GetFrame(i, &frame))) image = decodeFrame(f, frame);
    release(frame);
    if (!image && i == 0) return nullptr;
    if (!image) continue;
    *link = image;
    link = &image->next;
  }
  return first;
}

PictureObject *codec_decode(const uint8_t *bytes, size_t length) {
  if (!bytes || length == 0 || length > kMaxFileBytes) return nullptr;
  ComScope com;
  IWICImagingFactory *f = factory();
  IWICStream *stream = nullptr;
  IWICBitmapDecoder *decoder = nullptr;
  PictureImage *image = nullptr;
  if (f && SUCCEEDED(f->CreateStream(&stream)) &&
      SUCCEEDED(stream->InitializeFromMemory((BYTE *)bytes, (DWORD)length)) &&
      SUCCEEDED(
          f->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder)))
    image = decodeFrames(f, decoder);
  release(decoder);
  release(stream);
  release(f);
  return picture_from_image(image);
}

/* ---- writing ---- */

static bool writeFrame(IWICBitmapFrameEncode *frame, PictureImage *image) {
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(frame->Initialize(nullptr)) ||
      FAILED(frame->SetSize((UINT)image->width, (UINT)image->height)) ||
      FAILED(frame->SetResolution(image->hres, image->vres)) ||
      FAILED(frame->SetPixelFormat(&format)) || !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR))
    return false;
  UINT stride = ((UINT)image->width * 3 + 3) & ~3u;
  BYTE *row = (BYTE *)malloc(stride);
  bool ok = row != nullptr;
  GdiFlush();
  for (int32_t y = 0; ok && y < image->height; y++) {
    const uint32_t *in = image->bits + (size_t)y * image->width;
    for (int32_t x = 0; x < image->width; x++) {
      row[x * 3] = (BYTE)in[x];
      row[x * 3 + 1] = (BYTE)(in[x] >> 8);
      row[x * 3 + 2] = (BYTE)(in[x] >> 16);
    }
    ok = SUCCEEDED(frame->WritePixels(1, stride, stride, row));
  }
  free(row);
  return ok && SUCCEEDED(frame->Commit());
}

static bool widePath(const char *path, WCHAR *out, int size) {
  return MultiByteToWideChar(CP_ACP, 0, path, -1, out, size) > 0;
}

bool codec_save(PictureImage *image, const char *path, ImageFormat format) {
  WCHAR wide[MAX_PATH * 2];
  if (!image || !path || !widePath(path, wide, MAX_PATH * 2)) return false;
  ComScope com;
  IWICImagingFactory *f = factory();
  IWICStream *stream = nullptr;
  IWICBitmapEncoder *encoder = nullptr;
  IWICBitmapFrameEncode *frame = nullptr;
  const GUID &container =
      format == ImageFormat::Png ? GUID_ContainerFormatPng : GUID_ContainerFormatJpeg;
  bool ok = f && SUCCEEDED(f->CreateStream(&stream)) &&
            SUCCEEDED(stream->InitializeFromFilename(wide, GENERIC_WRITE)) &&
            SUCCEEDED(f->CreateEncoder(container, nullptr, &encoder)) &&
            SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
            SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && writeFrame(frame, image) &&
            SUCCEEDED(encoder->Commit());
  release(frame);
  release(encoder);
  release(stream);
  release(f);
  if (!ok) DeleteFileW(wide); /* no half-written file left behind */
  return ok;
}

/* ---- files ---- */

PictureObject *imagefile_decode(const uint8_t *bytes, size_t length) {
  if (bytes && length >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return bmp_decode(bytes, length);
  return codec_decode(bytes, length);
}

// The whole file in a block from malloc, or nil.
static uint8_t *readWhole(const char *path, size_t *length) {
  HANDLE file =
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  DWORD high = 0, size = GetFileSize(file, &high), got = 0;
  uint8_t *bytes = nullptr;
  if (size != INVALID_FILE_SIZE && high == 0 && size <= kMaxFileBytes)
    bytes = (uint8_t *)malloc(size ? size : 1);
  if (bytes && (!ReadFile(file, bytes, size, &got, nullptr) || got != size)) {
    free(bytes);
    bytes = nullptr;
  }
  CloseHandle(file);
  *length = size;
  return bytes;
}

PictureObject *imagefile_load(const char *path) {
  size_t length = 0;
  uint8_t *bytes = path ? readWhole(path, &length) : nullptr;
  PictureObject *picture = bytes ? imagefile_decode(bytes, length) : nullptr;
  free(bytes);
  return picture;
}

static bool writeWhole(const char *path, const uint8_t *bytes, size_t length) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  bool ok = WriteFile(file, bytes, (DWORD)length, &put, nullptr) && put == length;
  CloseHandle(file);
  if (!ok) DeleteFileA(path);
  return ok;
}

bool imagefile_save(PictureObject *picture, const char *path, ImageFormat format) {
  PictureImage *image = picture_image(picture);
  if (!image || !path) return false;
  if (format != ImageFormat::Bmp) return codec_save(image, path, format);
  size_t length = 0;
  uint8_t *bytes = bmp_encode(image, &length);
  bool ok = bytes && writeWhole(path, bytes, length);
  free(bytes);
  return ok;
}

ImageFormat imagefile_format_for(const char *path) {
  const char *dot = path ? strrchr(path, '.') : nullptr;
  if (!dot || strchr(dot, '\\')) return ImageFormat::Bmp;
  if (_stricmp(dot, ".png") == 0) return ImageFormat::Png;
  if (_stricmp(dot, ".jpg") == 0 || _stricmp(dot, ".jpeg") == 0) return ImageFormat::Jpeg;
  return ImageFormat::Bmp;
}
