// The TextConverter object: text converted between two encodings, in pieces.
// A multi-byte sequence split between two Convert calls is carried from the
// first to the second; Clear drops whatever is carried.
#include "objects/textconverter.h"
#include "objects/registry.h"
#include "text/codepage.h"
#include "text/string.h"

// A converter between two encodings the runtime can convert; nil otherwise.
TextConverterObject *getTextConverter(TextEncodingObject *source, TextEncodingObject *destination) {
  ClassDef *cls = registry_find("TextConverter");
  if (!cls || !source || !destination) return nullptr;
  if (!cp_known(source->base) || !cp_known(destination->base)) return nullptr;
  TextConverterObject *c = (TextConverterObject *)CreateInstance(cls);
  c->source = cp_resolve(source->base);
  c->destination = cp_resolve(destination->base);
  return c;
}

// The text converted; a sequence its end cuts off waits for the next call.
RString *textConverterConvert(TextConverterObject *c, RString *text) {
  if (!c) return nullptr;
  std::vector<uint8_t> out;
  cp_convert(c->source, c->destination, &c->carry, (const uint8_t *)str_cview(text),
             (size_t)str_len(text), false, &out);
  return str_make(out.data(), (int32_t)out.size());
}

void textConverterClear(TextConverterObject *c) {
  if (c) c->carry = CarryState{};
}
