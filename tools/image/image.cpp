// Linking the code and data builders into the four image blocks, and the
// structural check of an image before it is packed or loaded.
#include "image.h"
#include <set>

namespace img {

static bool unbound(const char *what, std::string *error) {
  *error = std::string("link: ") + what + " refers to a data label that was never bound";
  return false;
}

// Code1 with its data references written; `refs` gets their offsets.
static bool link_code(const Code &code, const Data &data, Bytes *code1, std::vector<uint32_t> *refs,
                      std::string *error) {
  if (!code.check_labels(error)) return false;
  *code1 = code.bytes();
  for (const Code::DataUse &u : code.data_uses()) {
    std::optional<uint32_t> off = data.offset(u.ref.label);
    if (!off) return unbound("an instruction", error);
    set_u32(*code1, u.at, *off + uint32_t(u.ref.addend));
    refs->push_back(u.at);
  }
  return true;
}

// Data1 with its pointers written; `relocs` gets the words to relocate.
static bool link_data(const Code &code, const Data &data, Bytes *data1, std::vector<Reloc> *relocs,
                      std::string *error) {
  *data1 = data.bytes();
  std::optional<uint32_t> entry = code.offset(data.entry());
  if (!entry) return *error = "link: the entry routine is not set or its label is unbound", false;
  set_u32(*data1, 0, *entry);
  relocs->push_back({0, RelocKind::Code});
  const DataRef &dir = data.class_directory();
  if (!dir.label.is_nil()) {
    std::optional<uint32_t> off = data.offset(dir.label);
    if (!off) return unbound("the class directory", error);
    set_u32(*data1, 4, *off + uint32_t(dir.addend));
    relocs->push_back({4, RelocKind::Data});
  }
  for (const Data::CodePtr &p : data.code_ptrs()) {
    std::optional<uint32_t> off = code.offset(p.target);
    if (!off) return *error = "link: a code pointer in data1 targets an unbound label", false;
    set_u32(*data1, p.at, *off);
    relocs->push_back({p.at, RelocKind::Code});
  }
  for (const Data::DataPtr &p : data.data_ptrs()) {
    std::optional<uint32_t> off = data.offset(p.target.label);
    if (!off) return unbound("a data pointer", error);
    set_u32(*data1, p.at, *off + uint32_t(p.target.addend));
    relocs->push_back({p.at, RelocKind::Data});
  }
  return true;
}

bool link_image(const Code &code, const Data &data, Image *out, std::string *error) {
  std::vector<uint32_t> refs;
  std::vector<Reloc> relocs;
  Image im;
  if (!link_code(code, data, &im.code1, &refs, error)) return false;
  if (!encode_link_table(code.imports(), refs, &im.code2, error)) return false;
  if (!link_data(code, data, &im.data1, &relocs, error)) return false;
  if (!encode_relocs(relocs, uint32_t(im.data1.size()), &im.data2, error)) return false;
  *out = std::move(im);
  return true;
}

static bool fail(std::string *error, const std::string &msg) {
  *error = "image: " + msg;
  return false;
}

static bool verify_links(const Image &im, std::string *error) {
  std::vector<LinkRecord> records;
  if (!decode_link_table(im.code2, &records, error)) return false;
  std::set<uint32_t> seen; // a site in two chains would be patched twice
  for (const LinkRecord &r : records) {
    if (r.kind == 2) {
      if (r.value > im.code1.size() || im.code1.size() - r.value < 4)
        return fail(error, "data reference at code1 offset " + std::to_string(r.value) +
                               " is outside code1");
      if (get_u32(&im.code1[r.value]) > im.data1.size())
        return fail(error, "data reference at code1 offset " + std::to_string(r.value) +
                               " holds an offset outside data1");
      continue;
    }
    std::vector<uint32_t> sites;
    if (!walk_chain(im.code1, r.value, &sites, error))
      return fail(error, "import " + r.name + ": " + *error);
    for (uint32_t s : sites)
      if (!seen.insert(s).second)
        return fail(error, "call site " + std::to_string(s) + " is in two fix-up chains");
  }
  return true;
}

static bool verify_relocs(const Image &im, std::string *error) {
  uint32_t end;
  std::vector<Reloc> words = reloc_words(decode_relocs(im.data2), &end);
  bool entry = false;
  for (const Reloc &w : words) {
    if (w.offset > im.data1.size() || im.data1.size() - w.offset < 4)
      return fail(error, "relocated word at data1 offset " + std::to_string(w.offset) +
                             " is outside data1");
    uint32_t v = get_u32(&im.data1[w.offset]);
    bool code = w.kind == RelocKind::Code;
    if (v > (code ? im.code1.size() : im.data1.size()))
      return fail(error, "relocated word at data1 offset " + std::to_string(w.offset) +
                             " points outside " + (code ? "code1" : "data1"));
    if (w.offset == 0) entry = code && v < im.code1.size();
  }
  if (!entry) return fail(error, "data1 word 0 is not a code-relocated entry routine");
  return true;
}

bool verify_image(const Image &im, std::string *error) {
  if (im.data1.size() < 8) return fail(error, "data1 is shorter than its two reserved words");
  return verify_links(im, error) && verify_relocs(im, error);
}

} // namespace img
