// The TextEncoding object: a platform code page and its internet name.
#include "objects/textencoding.h"
#include "objects/registry.h"
#include "text/string.h"
#include <cstdio>

struct InternetName {
  int32_t codePage;
  const char *name;
};

// The names mail and web pages give the code pages a program meets most.
static const InternetName kInternetNames[] = {
    {932, "Shift_JIS"},     {936, "GB2312"},        {949, "ks_c_5601-1987"}, {950, "Big5"},
    {874, "windows-874"},   {1250, "windows-1250"}, {1251, "windows-1251"},  {1252, "windows-1252"},
    {1253, "windows-1253"}, {1254, "windows-1254"}, {1255, "windows-1255"},  {1256, "windows-1256"},
    {1257, "windows-1257"}, {1258, "windows-1258"}, {20932, "EUC-JP"},       {50220, "ISO-2022-JP"},
    {28591, "ISO-8859-1"},  {65001, "UTF-8"},       {1200, "UTF-16LE"},      {437, "IBM437"},
    {850, "IBM850"},
};

TextEncodingObject *text_encoding_new(int32_t codePage) {
  ClassDef *cls = registry_find("TextEncoding");
  if (!cls || codePage == 0) return nullptr;
  TextEncodingObject *e = (TextEncodingObject *)CreateInstance(cls);
  e->base = codePage;
  return e;
}

int32_t textEncodingBaseGetter(TextEncodingObject *e, int32_t) { return e ? e->base : 0; }
int32_t textEncodingFormatGetter(TextEncodingObject *e, int32_t) { return e ? e->format : 0; }

// The internet name of the code page; "windows-N" for one without a better-known name.
RString *textEncodingInternetName(TextEncodingObject *e) {
  if (!e) return nullptr;
  for (const InternetName &n : kInternetNames)
    if (n.codePage == e->base) return str_from(n.name);
  char name[24];
  snprintf(name, sizeof name, "windows-%d", (int)e->base);
  return str_from(name);
}
