// Movie files for the movie tests, on either side of Wine: uncompressed RIFF
// AVI files made on the spot (24-bit bottom-up frames, each one solid colour
// of a list, and optionally a silent 8-bit PCM sound stream), which the
// digital-video device plays without any codec.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct MovieSpec {
  int width = 32, height = 24;
  int framesPerSecond = 10;
  std::vector<uint32_t> colours = {0xFF0000, 0x00FF00, 0x0000FF,
                                   0xFFFF00}; // 0xRRGGBB, a frame each
  bool sound = false;
  int bits = 24; // 24 or 32 bits a pixel
};

namespace moviefile {

inline void u32(std::string &s, uint32_t v) {
  for (int i = 0; i < 4; i++) s += char(v >> (8 * i));
}
inline void u16(std::string &s, uint16_t v) { s += char(v), s += char(v >> 8); }

// A chunk: its tag, its size, its body, padded to an even length.
inline std::string chunk(const char *id, const std::string &body) {
  std::string c(id, 4);
  u32(c, (uint32_t)body.size());
  c += body;
  if (body.size() & 1) c += '\0';
  return c;
}
inline std::string list(const char *type, const std::string &body) {
  return chunk("LIST", std::string(type, 4) + body);
}

inline int rowBytes(const MovieSpec &m) { return (m.width * m.bits / 8 + 3) & ~3; }

inline std::string frame(const MovieSpec &m, uint32_t rgb) {
  int row = rowBytes(m), bytes = m.bits / 8;
  std::string f((size_t)row * m.height, '\0');
  for (int y = 0; y < m.height; y++)
    for (int x = 0; x < m.width; x++) {
      size_t at = (size_t)y * row + x * bytes;
      f[at] = char(rgb), f[at + 1] = char(rgb >> 8), f[at + 2] = char(rgb >> 16);
    }
  return f;
}

inline std::string streamHeader(const char *type, const char *handler, uint32_t scale,
                                uint32_t rate, uint32_t length, uint32_t buffer,
                                uint32_t sampleSize, int width, int height) {
  std::string h(type, 4);
  h += std::string(handler, 4);
  u32(h, 0); /* flags */
  u32(h, 0); /* priority, language */
  u32(h, 0); /* initial frames */
  u32(h, scale);
  u32(h, rate);
  u32(h, 0); /* start */
  u32(h, length);
  u32(h, buffer);
  u32(h, 0xFFFFFFFF); /* quality */
  u32(h, sampleSize);
  u16(h, 0), u16(h, 0), u16(h, (uint16_t)width), u16(h, (uint16_t)height);
  return h;
}

} // namespace moviefile

// The whole file.
inline std::string aviFile(const MovieSpec &m) {
  using namespace moviefile;
  const int frames = (int)m.colours.size();
  const uint32_t frameBytes = (uint32_t)(moviefile::rowBytes(m) * m.height);
  const uint32_t soundRate = 8000, soundPerFrame = soundRate / m.framesPerSecond;

  std::string avih;
  u32(avih, 1000000 / m.framesPerSecond);
  u32(avih, frameBytes * m.framesPerSecond);
  u32(avih, 0);
  u32(avih, 0x10); /* has an index */
  u32(avih, frames);
  u32(avih, 0);
  u32(avih, m.sound ? 2 : 1);
  u32(avih, frameBytes);
  u32(avih, m.width);
  u32(avih, m.height);
  for (int i = 0; i < 4; i++) u32(avih, 0);

  std::string bih;
  u32(bih, 40);
  u32(bih, m.width);
  u32(bih, m.height);
  u16(bih, 1);
  u16(bih, (uint16_t)m.bits);
  u32(bih, 0); /* uncompressed */
  u32(bih, frameBytes);
  for (int i = 0; i < 4; i++) u32(bih, 0);

  std::string streams =
      list("strl", chunk("strh", streamHeader("vids", "DIB ", 1, m.framesPerSecond, frames,
                                              frameBytes, 0, m.width, m.height)) +
                       chunk("strf", bih));
  if (m.sound) {
    std::string wf;
    u16(wf, 1), u16(wf, 1);
    u32(wf, soundRate), u32(wf, soundRate);
    u16(wf, 1), u16(wf, 8);
    streams +=
        list("strl", chunk("strh", streamHeader("auds", "\0\0\0\0", 1, soundRate,
                                                soundPerFrame * frames, soundPerFrame, 1, 0, 0)) +
                         chunk("strf", wf));
  }

  std::string movi = "movi", index;
  for (int i = 0; i < frames; i++) {
    auto add = [&](const char *id, const std::string &body) {
      index += std::string(id, 4);
      u32(index, 0x10); /* a key frame */
      u32(index, (uint32_t)movi.size());
      u32(index, (uint32_t)body.size());
      movi += chunk(id, body);
    };
    add("00db", frame(m, m.colours[i]));
    if (m.sound) add("01wb", std::string(soundPerFrame, char(0x80)));
  }

  std::string body = "AVI " + list("hdrl", chunk("avih", avih) + streams) + chunk("LIST", movi) +
                     chunk("idx1", index);
  return chunk("RIFF", body);
}
