// Window descriptions and the menu bar written as packed streams.
#include "windowstream.h"
#include "packed.h"

namespace img {

static void put_pairs(Bytes &b, const Pairs &pairs) {
  for (auto &[name, value] : pairs) {
    put_packed_string(b, name);
    put_packed_string(b, value);
  }
}

Bytes encode_window_description(const WindowDescription &d) {
  Bytes b;
  put_packed_int(b, int32_t(d.window.size()));
  put_packed_int(b, d.classIndex);
  put_pairs(b, d.window);
  put_packed_int(b, int32_t(d.controls.size()));
  for (const ControlDescription &c : d.controls) {
    put_packed_int(b, c.classIndex);
    put_packed_int(b, int32_t(c.pairs.size()));
    put_pairs(b, c.pairs);
  }
  put_packed_int(b, 0); /* no bindings */
  return b;
}

static void put_record(Bytes &b, const MenuRecord &r) {
  put_packed_int(b, r.kind);
  put_packed_string(b, r.text);
  put_packed_string(b, r.name);
  put_packed_int(b, r.index);
  put_packed_string(b, r.commandKey);
  put_packed_string(b, r.balloonHelp);
  put_packed_string(b, "");
  put_u8(b, 0);
  put_u8(b, r.opensSubmenu);
  put_packed_int(b, r.classIndex);
}

static void put_items(Bytes &b, const std::vector<MenuRecord> &items) {
  put_packed_int(b, int32_t(items.size()));
  for (const MenuRecord &i : items) {
    put_record(b, i);
    if (i.opensSubmenu) put_items(b, i.items);
  }
}

Bytes encode_menu_bar(const std::vector<MenuRecord> &entries) {
  Bytes b;
  put_packed_int(b, int32_t(entries.size()));
  for (const MenuRecord &e : entries) {
    put_record(b, e);
    put_items(b, e.items); /* an entry's items always follow it */
  }
  return b;
}

} // namespace img
