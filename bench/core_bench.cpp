// Figures for the runtime core: small blocks from the memory pool against the
// process heap, and runtime strings against std::string, measured in one run.
#include "base/pool.h"
#include "startup/loader.h"
#include "text/string.h"
#include "clock.h"
#include <windows.h>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

enum {
  kBatch = 512,     // blocks held at once in the batch phase
  kRounds = 40,     // batches per measurement
  kPairs = 20000,   // alloc+free pairs per measurement
  kStrings = 20000, // make+make+join+release rounds per measurement
  kRepeats = 7,     // measurements of each kind; the best one counts
};

static volatile uint32_t gSink; // results land here so no work can be dropped

// Tells the compiler the pointer escapes and memory may have been read.
static inline void keep(const void *p) { asm volatile("" : : "g"(p) : "memory"); }

static uint32_t gSeed = 12345;
static uint32_t next_random() { return gSeed = gSeed * 1103515245u + 12345u; }

// Request sizes as small objects tend to come: mostly a few words, some
// records of tens of words, a few near the pool's largest size.
static int32_t pick_size() {
  uint32_t r = (next_random() >> 8) % 100;
  if (r < 60) return 4 + (int32_t)((next_random() >> 8) % 29);  // 4..32
  if (r < 90) return 33 + (int32_t)((next_random() >> 8) % 96); // 33..128
  return 129 + (int32_t)((next_random() >> 8) % 124);           // 129..252
}

struct Workload {
  std::vector<int32_t> sizes;     // one per allocation, batches first, then pairs
  std::vector<int32_t> freeOrder; // a shuffled order for freeing a batch
};

static Workload make_workload() {
  Workload w;
  for (int i = 0; i < kBatch * kRounds + kPairs; i++) w.sizes.push_back(pick_size());
  for (int i = 0; i < kBatch; i++) w.freeOrder.push_back(i);
  for (int i = kBatch - 1; i > 0; i--)
    std::swap(w.freeOrder[i], w.freeOrder[next_random() % (i + 1)]);
  return w;
}

struct PoolAllocator {
  static void *get(int32_t n) { return pool_alloc(n); }
  static void put(void *p, int32_t n) { pool_free(p, n); }
};

struct HeapAllocator {
  static void *get(int32_t n) { return HeapAlloc(GetProcessHeap(), 0, n); }
  static void put(void *p, int32_t) { HeapFree(GetProcessHeap(), 0, p); }
};

// One pass: batches allocated then freed in shuffled order, then pairs.
// Every block is written to, as a real caller would.
template <class A> static void run_blocks(const Workload &w) {
  void *held[kBatch];
  uint32_t sum = 0;
  const int32_t *size = w.sizes.data();
  for (int r = 0; r < kRounds; r++, size += kBatch) {
    for (int i = 0; i < kBatch; i++) {
      held[i] = A::get(size[i]);
      *(uint8_t *)held[i] = (uint8_t)i;
    }
    for (int i : w.freeOrder) {
      sum += *(uint8_t *)held[i];
      keep(held[i]);
      A::put(held[i], size[i]);
    }
  }
  for (int i = 0; i < kPairs; i++) {
    void *p = A::get(size[i]);
    *(uint8_t *)p = (uint8_t)i;
    keep(p);
    sum += *(uint8_t *)p;
    A::put(p, size[i]);
  }
  gSink = gSink + sum;
}

// The best of several timings of a pass, in nanoseconds per operation.
template <class F> static double best_ns(F pass, int operations) {
  double best = 1e30;
  for (int i = 0; i < kRepeats; i++) {
    double start = seconds_now();
    pass();
    double elapsed = seconds_now() - start;
    if (elapsed < best) best = elapsed;
  }
  return best * 1e9 / operations;
}

// Text pieces of 1 to 48 bytes, the lengths of names, numbers and short labels.
static std::vector<std::string> make_pieces() {
  std::vector<std::string> pieces;
  for (int i = 0; i < kStrings * 2; i++) {
    int n = 1 + (int)((next_random() >> 8) % 48);
    std::string s;
    for (int k = 0; k < n; k++) s += (char)('a' + (next_random() >> 8) % 26);
    pieces.push_back(s);
  }
  return pieces;
}

static void run_runtime_strings(const std::vector<std::string> &pieces) {
  uint32_t sum = 0;
  for (size_t i = 0; i < pieces.size(); i += 2) {
    RString *a = str_make(pieces[i].data(), (int32_t)pieces[i].size());
    RString *b = str_make(pieces[i + 1].data(), (int32_t)pieces[i + 1].size());
    RString *c = str_join(a, b);
    keep(c);
    sum += str_len(c) + str_cview(c)[0];
    RuntimeUnlockString(a);
    RuntimeUnlockString(b);
    RuntimeUnlockString(c);
  }
  gSink = gSink + sum;
}

static void run_std_strings(const std::vector<std::string> &pieces) {
  uint32_t sum = 0;
  for (size_t i = 0; i < pieces.size(); i += 2) {
    std::string a(pieces[i].data(), pieces[i].size());
    std::string b(pieces[i + 1].data(), pieces[i + 1].size());
    std::string c = a + b;
    keep(c.data());
    sum += (uint32_t)c.size() + c[0];
  }
  gSink = gSink + sum;
}

int main() {
  runtime_core_init();

  Workload w = make_workload();
  int blockOps = kBatch * kRounds + kPairs;
  double pool = best_ns([&] { run_blocks<PoolAllocator>(w); }, blockOps);
  double heap = best_ns([&] { run_blocks<HeapAllocator>(w); }, blockOps);
  printf("pool vs heap: %.1f ns vs %.1f ns per alloc+free, heap/pool = %.1fx (target >= 3x)\n",
         pool, heap, heap / pool);

  std::vector<std::string> pieces = make_pieces();
  double runtime = best_ns([&] { run_runtime_strings(pieces); }, kStrings);
  double standard = best_ns([&] { run_std_strings(pieces); }, kStrings);
  printf("strings vs std::string: %.1f ns vs %.1f ns per make+make+join+release, "
         "strings/std = %.2fx (target <= 1.5x)\n",
         runtime, standard, runtime / standard);
  return 0;
}
