// The registry of data sources that plug-ins offer: kinds by name, sources
// by name with their kind and data, and the list of names for design tools.
// Names compare without regard to case, as the language's names do.
#include "database/datasource.h"
#include "objects/classdef.h"
#include <cstring>
#include <vector>

namespace {

struct Source {
  RString *name;
  const KARUDataSourceInterface *face;
  void *data;
};

std::vector<const KARUDataSourceInterface *> gKinds;
std::vector<Source> gSources;
std::vector<RString *> gDesignNames;

bool sameName(RString *a, const char *b) {
  return names_equal(str_cview(a), str_len(a), b, (int32_t)strlen(b));
}

const KARUDataSourceInterface *kindNamed(const char *kind) {
  for (const KARUDataSourceInterface *f : gKinds)
    if (names_equal(f->kind, (int32_t)strlen(f->kind), kind, (int32_t)strlen(kind))) return f;
  return nullptr;
}

Source *sourceNamed(const char *name) {
  for (Source &s : gSources)
    if (sameName(s.name, name)) return &s;
  return nullptr;
}

} // namespace

extern "C" int32_t RegisterDataSourceInterface(const KARUDataSourceInterface *face) {
  if (!face || face->version != 1 || !face->kind || !*face->kind || !face->open) return 0;
  if (kindNamed(face->kind)) return 0;
  gKinds.push_back(face);
  return 1;
}

extern "C" int32_t RegisterDataSource(const char *kind, const char *sourceName, void *data) {
  const KARUDataSourceInterface *face = kind ? kindNamed(kind) : nullptr;
  if (!face || !sourceName || !*sourceName || sourceNamed(sourceName)) return 0;
  gSources.push_back({str_from(sourceName), face, data});
  return 1;
}

extern "C" void DesignAddDataSource(const char *sourceName) {
  if (!sourceName || !*sourceName) return;
  for (RString *n : gDesignNames)
    if (sameName(n, sourceName)) return;
  gDesignNames.push_back(str_from(sourceName));
}

Object *datasource_open(RString *name) {
  Source *s = sourceNamed(str_cview(name));
  return s ? (Object *)s->face->open(str_cview(s->name), s->data) : nullptr;
}

int32_t datasource_design_count() { return (int32_t)gDesignNames.size(); }

RString *datasource_design_name(int32_t i) {
  return i >= 0 && i < (int32_t)gDesignNames.size() ? gDesignNames[i] : nullptr;
}

void datasources_reset() {
  for (Source &s : gSources) RuntimeUnlockString(s.name);
  for (RString *n : gDesignNames) RuntimeUnlockString(n);
  gSources.clear();
  gDesignNames.clear();
  gKinds.clear();
}
