// The link table: encoder, the loader-compatible decoder, and the walk along
// a fix-up chain through the call sites of code1.
#include "linktable.h"

namespace img {

bool encode_link_table(const std::vector<Import> &imports, const std::vector<uint32_t> &data_refs,
                       Bytes *out, std::string *error) {
  out->clear();
  for (const Import &imp : imports) {
    if (imp.name.size() > 255) {
      *error = "link table: import name longer than 255 bytes: " + imp.name.substr(0, 40) + "...";
      return false;
    }
    put_u8(*out, 1);
    put_u32(*out, imp.head);
    put_u8(*out, uint8_t(imp.name.size()));
    put_bytes(*out, imp.name);
  }
  for (uint32_t at : data_refs) {
    put_u8(*out, 2);
    put_u32(*out, at);
  }
  return true;
}

static bool truncated(size_t at, std::string *error) {
  *error = "link table: record at offset " + std::to_string(at) + " runs past the end";
  return false;
}

bool decode_link_table(const Bytes &t, std::vector<LinkRecord> *out, std::string *error,
                       size_t *stray) {
  out->clear();
  if (stray) *stray = 0;
  size_t p = 0;
  while (p < t.size()) {
    size_t at = p;
    uint8_t kind = t[p++];
    if (kind == 2) {
      if (t.size() - p < 4) return truncated(at, error);
      out->push_back({2, get_u32(&t[p]), {}, at});
      p += 4;
    } else if (kind == 1) {
      if (t.size() - p < 5) return truncated(at, error);
      size_t n = t[p + 4];
      if (t.size() - p - 5 < n) return truncated(at, error);
      std::string name(reinterpret_cast<const char *>(&t[p + 5]), n);
      out->push_back({1, get_u32(&t[p]), std::move(name), at});
      p += 5 + n;
    } else if (stray) {
      ++*stray; // skipped one by one, as the loader does
    }
  }
  return true;
}

bool walk_chain(const Bytes &code1, uint32_t head, std::vector<uint32_t> *sites,
                std::string *error) {
  sites->clear();
  for (uint32_t site = head; site != 0;) {
    if (site > code1.size() || code1.size() - site < 4) {
      *error = "fix-up chain: site " + std::to_string(site) + " is outside code1";
      return false;
    }
    if (code1[site - 1] != 0xE8) {
      *error = "fix-up chain: site " + std::to_string(site) + " is not the operand of a call";
      return false;
    }
    if (sites->size() > code1.size() / 5) { // more sites than calls fit: a loop
      *error = "fix-up chain: loops at site " + std::to_string(site);
      return false;
    }
    sites->push_back(site);
    site = get_u32(&code1[site]);
  }
  return true;
}

} // namespace img
