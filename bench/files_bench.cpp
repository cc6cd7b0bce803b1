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
  kRounds = 20,          // slices alternating between the two ways
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

// Each figure is the sum over kRounds slices that alternate between the two
// ways, so that both meet the same load from other programs on the machine.
struct Pair {
  double stream = 0, plain = 0;
};

template <typename F> static void timed(double *total, F step) {
  double start = seconds_now();
  step();
  *total += seconds_now() - start;
}

static Pair writeText(const Lines &l, const std::string &a, const std::string &b) {
  Pair t;
  Object *out = nullptr;
  FILE *f = nullptr;
  timed(&t.stream, [&] { out = text_output_stream_new(file_open(a.c_str(), FileOpen::Create)); });
  timed(&t.plain, [&] { f = fopen(b.c_str(), "wb"); });
  for (int64_t r = 0; r < kRounds; r++) {
    int64_t from = l.count * r / kRounds, to = l.count * (r + 1) / kRounds;
    timed(&t.stream, [&] {
      for (int64_t i = from; i < to; i++)
        TextOutputStreamWriteLine(out, l.runtime[i % kDistinctLines]);
    });
    timed(&t.plain, [&] {
      for (int64_t i = from; i < to; i++) fputs(l.plain[i % kDistinctLines].c_str(), f);
    });
  }
  timed(&t.stream, [&] {
    TextOutputStreamClose(out);
    RuntimeUnlockObject(out);
  });
  timed(&t.plain, [&] { fclose(f); });
  return t;
}

static Pair readText(int64_t count, const std::string &a, const std::string &b, int64_t lines[2]) {
  Pair t;
  Object *in = nullptr;
  FILE *f = nullptr;
  char line[4096];
  timed(&t.stream, [&] { in = text_input_stream_new(file_open(a.c_str(), FileOpen::Read)); });
  timed(&t.plain, [&] { f = fopen(b.c_str(), "rb"); });
  lines[0] = lines[1] = 0;
  for (int64_t r = 0; r < kRounds; r++) {
    int64_t n = count * (r + 1) / kRounds - count * r / kRounds;
    if (r == kRounds - 1) n = INT64_MAX; /* the last slice reads to the end */
    timed(&t.stream, [&] {
      for (int64_t i = 0; i < n && !TextInputStreamEOF(in); i++, lines[0]++)
        RuntimeUnlockString(TextInputStreamReadLine(in));
    });
    timed(&t.plain, [&] {
      for (int64_t i = 0; i < n && fgets(line, sizeof line, f); i++) lines[1]++;
    });
  }
  timed(&t.stream, [&] { RuntimeUnlockObject(in); });
  timed(&t.plain, [&] { fclose(f); });
  return t;
}

static Pair copyBlocks(int64_t bytes, const std::string &a, const std::string &b) {
  Pair t;
  Object *in = nullptr, *out = nullptr;
  HANDLE from = nullptr, to = nullptr;
  std::string a2 = a + ".copy", b2 = b + ".copy";
  timed(&t.stream, [&] {
    in = binary_stream_new(file_open(a.c_str(), FileOpen::Read));
    out = binary_stream_new(file_open(a2.c_str(), FileOpen::Create));
  });
  timed(&t.plain, [&] {
    from =
        CreateFileA(b.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    to = CreateFileA(b2.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  });
  int64_t blocks = bytes / kBlock / kRounds + 1;
  char block[kBlock];
  for (int64_t r = 0; r < kRounds; r++) {
    timed(&t.stream, [&] {
      for (int64_t i = 0; i < blocks || r == kRounds - 1; i++) {
        RString *s = BinaryStreamRead(in, kBlock);
        if (!s) break;
        BinaryStreamWrite(out, s);
        RuntimeUnlockString(s);
      }
    });
    timed(&t.plain, [&] {
      DWORD got = 0, put = 0;
      for (int64_t i = 0; i < blocks || r == kRounds - 1; i++) {
        if (!ReadFile(from, block, sizeof block, &got, nullptr) || !got) break;
        WriteFile(to, block, got, &put, nullptr);
      }
    });
  }
  timed(&t.stream, [&] {
    BinaryStreamClose(out);
    RuntimeUnlockObject(out);
    RuntimeUnlockObject(in);
  });
  timed(&t.plain, [&] {
    CloseHandle(to);
    CloseHandle(from);
  });
  DeleteFileA(a2.c_str());
  DeleteFileA(b2.c_str());
  return t;
}

static void show(const char *what, const char *plainName, Pair t) {
  printf("%-28s %8.2f s   %-18s %8.2f s   ratio %.2f\n", what, t.stream, plainName, t.plain,
         t.stream / t.plain);
}

int main(int argc, char **argv) {
  runtime_core_init();
  runtime_classes_init();
  int64_t megabytes = argc > 1 ? atoi(argv[1]) : 100;
  Lines l = makeLines(megabytes << 20);
  std::string a = tempPath("files_bench_stream.txt"), b = tempPath("files_bench_plain.txt");
  int64_t lines[2];
  Pair w = writeText(l, a, b), r = readText(l.count, a, b, lines);
  printf("%lld MB of text, %lld lines (read back: %lld by the stream, %lld by fgets)\n",
         (long long)megabytes, (long long)l.count, (long long)lines[0], (long long)lines[1]);
  show("TextOutputStream.WriteLine", "fputs", w);
  show("TextInputStream.ReadLine", "fgets", r);
  show("written and read back", "fputs and fgets", {w.stream + r.stream, w.plain + r.plain});
  show("4 KB blocks: BinaryStream", "ReadFile/WriteFile", copyBlocks(megabytes << 20, a, b));
  DeleteFileA(a.c_str());
  DeleteFileA(b.c_str());
  for (RString *s : l.runtime) RuntimeUnlockString(s);
  return 0;
}
