// File systems for the engine's tests and fuzzing: one kept in memory (with
// the single-opener lock), and a wrapper over any file system that fails
// the n-th write, sync or truncate, leaving a torn write behind.
#pragma once
#include "dbengine/dbfile.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

struct MemFs {
  DbFileSystem fs; // must stay first
  struct Node {
    std::vector<uint8_t> bytes;
    int openers = 0;
    bool exclusive = false;
  };
  std::map<std::string, std::shared_ptr<Node>> files;
};
void memfs_init(MemFs *m);
std::vector<uint8_t> &memfs_bytes(MemFs *m, const std::string &path); // created empty when absent

struct FaultFs {
  DbFileSystem fs; // must stay first
  const DbFileSystem *base;
  int64_t failAt;   // the 1-based number of the write, sync or truncate that fails; 0 never
  int64_t count;    // writes, syncs and truncates seen
  bool sticky;      // every operation after the failure fails too (a dead device)
  int32_t failWith; // the DbIoResult reported
  bool failed;
};
void faultfs_init(FaultFs *f, const DbFileSystem *base, int64_t failAt, bool sticky,
                  int32_t failWith);
