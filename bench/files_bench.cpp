// Stream figures: a text file of 100 MB written line by line with
// TextOutputStream and read back with TextInputStream, against fputs/fgets of
// the same lines; and the file copied in 4 KB blocks with BinaryStream Read and
// Write, against ReadFile/WriteFile. Optional argument: the size in MB.
#include "files/stream.h"
#include "startup/init.h"
#include "startup/loader.h"
#include "text/string.h"
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "clock.h"

enum {
  kDistinctLines = 1000, // the lines written over and over
  kBlock = 4096,         // the copy's block size
  kRepeats = 2,          // the best of these counts
};

static std::string tempPath(const char *name) {
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  return std::string(folder) + name;
}

struct Lines {
  std::vector<std::string> plain; // with CR LF, for fputs
  std::vector<RString *> runtime; // without, for WriteLine
  int64_t count;                  // lines making up the file
};

static Lines makeLines(int64_t bytes) {
  Lines l;
  int64_t total = 0;
  for (int i = 0; i < kDistinctLines; i++) {
    std::string text =
        "line " + std::to_string(i * 7919) + ": " + std::string(20 + i % 90, 'a' + i % 26);
    l.runtime.push_back(str_make(text.data(), (int32_t)text.size()));
    l.plain.push_back(text + "\r\n");
  }
  for (l.count = 0; total < bytes; l.count++)
    total += (int64_t)l.plain[l.count % kDistinctLines].size();
  return l;
}

static double streamWrite(const Lines &l, const std::string &path) {
  double start = seconds_now();
  Object *out = text_output_stream_new(file_open(path.c_str(), FileOpen::Create));
  for (int64_t i = 0; i < l.count; i++)
    TextOutputStreamWriteLine(out, l.runtime[i % kDistinctLines]);
  TextOutputStreamClose(out);
  RuntimeUnlockObject(out);
  return seconds_now() - start;
}

static double streamRead(const std::string &path, int64_t *lines) {
  double start = seconds_now();
  Object *in = text_input_stream_new(file_open(path.c_str(), FileOpen::Read));
  for (*lines = 0; !TextInputStreamEOF(in); ++*lines)
    RuntimeUnlockString(TextInputStreamReadLine(in));
  RuntimeUnlockObject(in);
  return seconds_now() - start;
}

static double plainWrite(const Lines &l, const std::string &path) {
  double start = seconds_now();
  FILE *f = fopen(path.c_str(), "wb");
  for (int64_t i = 0; i < l.count; i++) fputs(l.plain[i % kDistinctLines].c_str(), f);
  fclose(f);
  return seconds_now() - start;
}

static double plainRead(const std::string &path, int64_t *lines) {
  double start = seconds_now();
  FILE *f = fopen(path.c_str(), "rb");
  char line[4096];
  for (*lines = 0; fgets(line, sizeof line, f); ++*lines) {
  }
  fclose(f);
  return seconds_now() - start;
}

static double streamCopy(const std::string &from, const std::string &to) {
  double start = seconds_now();
  Object *in = binary_stream_new(file_open(from.c_str(), FileOpen::Read));
  Object *out = binary_stream_new(file_open(to.c_str(), FileOpen::Create));
  while (RString *block = BinaryStreamRead(in, kBlock)) {
    BinaryStreamWrite(out, block);
    RuntimeUnlockString(block);
  }
  BinaryStreamClose(out);
  RuntimeUnlockObject(out);
  RuntimeUnlockObject(in);
  return seconds_now() - start;
}

static double plainCopy(const std::string &from, const std::string &to) {
  double start = seconds_now();
  HANDLE in =
      CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE out = CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  char block[kBlock];
  DWORD got = 0, put = 0;
  while (ReadFile(in, block, sizeof block, &got, nullptr) && got)
    WriteFile(out, block, got, &put, nullptr);
  CloseHandle(out);
  CloseHandle(in);
  return seconds_now() - start;
}

static double best(double (*run)(const std::string &, const std::string &), const std::string &a,
                   const std::string &b) {
  double t = 1e30;
  for (int i = 0; i < kRepeats; i++) t = std::min(t, run(a, b));
  return t;
}

int main(int argc, char **argv) {
  runtime_core_init();
  runtime_classes_init();
  int64_t megabytes = argc > 1 ? atoi(argv[1]) : 100;
  Lines l = makeLines(megabytes << 20);
  std::string text = tempPath("files_bench.txt"), copy = tempPath("files_bench.copy");
  double sw = 1e30, sr = 1e30, pw = 1e30, pr = 1e30;
  int64_t streamLines = 0, plainLines = 0;
  for (int i = 0; i < kRepeats; i++) { /* alternated, so that both meet the same cache */
    sw = std::min(sw, streamWrite(l, text));
    sr = std::min(sr, streamRead(text, &streamLines));
    pw = std::min(pw, plainWrite(l, text));
    pr = std::min(pr, plainRead(text, &plainLines));
  }
  printf("%lld MB of text, %lld lines (read back: %lld by stream, %lld by fgets)\n",
         (long long)megabytes, (long long)l.count, (long long)streamLines, (long long)plainLines);
  printf("TextOutputStream.WriteLine %8.2f s   fputs %8.2f s   ratio %.2f\n", sw, pw, sw / pw);
  printf("TextInputStream.ReadLine   %8.2f s   fgets %8.2f s   ratio %.2f\n", sr, pr, sr / pr);
  printf("write and read together    %8.2f s         %8.2f s   ratio %.2f\n", sw + sr, pw + pr,
         (sw + sr) / (pw + pr));
  double sc = best(streamCopy, text, copy), pc = best(plainCopy, text, copy);
  printf("4 KB block copy: BinaryStream %8.2f s   ReadFile/WriteFile %8.2f s   ratio %.2f\n", sc,
         pc, sc / pc);
  DeleteFileA(text.c_str());
  DeleteFileA(copy.c_str());
  for (RString *s : l.runtime) RuntimeUnlockString(s);
  return 0;
}
