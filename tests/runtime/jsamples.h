// A short Japanese sample (kanji, hiragana, katakana, half-width katakana,
// ASCII and a full-width digit) in each encoding, and a longer paragraph,
// written out byte by byte as the encodings' own tables give them.
#pragma once
#include <string>

namespace jsample {

// 日本のカナｶﾅA１
const std::string kShiftJIS = "\x93\xFA\x96\x7B\x82\xCC\x83\x4A\x83\x69\xB6\xC5\x41\x82\x50";
const std::string kUtf8 = "\xE6\x97\xA5\xE6\x9C\xAC\xE3\x81\xAE\xE3\x82\xAB\xE3\x83\x8A\xEF\xBD"
                          "\xB6\xEF\xBE\x85\x41\xEF\xBC\x91";
const std::string kEucJP = "\xC6\xFC\xCB\xDC\xA4\xCE\xA5\xAB\xA5\xCA\x8E\xB6\x8E\xC5\x41\xA3\xB1";
const std::string kUtf16LE = std::string("\xE5\x65\x2C\x67\x6E\x30\xAB\x30\xCA\x30\x76\xFF\x85\xFF"
                                         "\x41\x00\x11\xFF",
                                         18);
// ISO-2022-JP: the half-width katakana become full-width (50220), follow
// ESC ( I (50221), or sit between SO and SI (50222).
const std::string kIso2022JP = "\x1B$BF|K\\$N%+%J%+%J\x1B(BA\x1B$B#1\x1B(B";
const std::string kIso2022JPKana = "\x1B$BF|K\\$N%+%J\x1B(I6E\x1B(BA\x1B$B#1\x1B(B";
const std::string kIso2022JPSO = "\x1B$BF|K\\$N%+%J\x1B(B\x0E"
                                 "6E\x0F"
                                 "A\x1B$B#1\x1B(B";
// The sample with its half-width katakana full-width, as 50220 reads back.
const std::string kShiftJISFull = "\x93\xFA\x96\x7B\x82\xCC\x83\x4A\x83\x69\x83\x4A\x83\x69\x41"
                                  "\x82\x50";

// 今日は良い天気ですね。明日も晴れるでしょうか？私たちは公園へ散歩に行きました。
const std::string kParagraph =
    "\x8d\xa1\x93\xfa\x82\xcd\x97\xc7\x82\xa2\x93\x56\x8b\x43\x82\xc5\x82\xb7\x82\xcb\x81\x42"
    "\x96\xbe\x93\xfa\x82\xe0\x90\xb0\x82\xea\x82\xe9\x82\xc5\x82\xb5\x82\xe5\x82\xa4\x82\xa9"
    "\x81\x48\x8e\x84\x82\xbd\x82\xbf\x82\xcd\x8c\xf6\x89\x80\x82\xd6\x8e\x55\x95\xe0\x82\xc9"
    "\x8d\x73\x82\xab\x82\xdc\x82\xb5\x82\xbd\x81\x42";

} // namespace jsample
