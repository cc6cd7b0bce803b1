// The TextEncoding object: a code page with its variant and format, its
// internet name, the lookup by internet name, and the Japanese guess.
#include "objects/textencoding.h"
#include "objects/registry.h"
#include "text/codepage.h"
#include "text/jguess.h"
#include "text/string.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>

struct InternetName {
  int32_t codePage;
  const char *name;
};

// The names mail and web pages give the code pages a program meets most; the
// first for a code page is the one its InternetName answers.
static const InternetName kInternetNames[] = {
    {932, "Shift_JIS"},     {936, "GB2312"},        {949, "ks_c_5601-1987"}, {950, "Big5"},
    {874, "windows-874"},   {1250, "windows-1250"}, {1251, "windows-1251"},  {1252, "windows-1252"},
    {1253, "windows-1253"}, {1254, "windows-1254"}, {1255, "windows-1255"},  {1256, "windows-1256"},
    {1257, "windows-1257"}, {1258, "windows-1258"}, {20932, "EUC-JP"},       {51932, "EUC-JP"},
    {50220, "ISO-2022-JP"}, {50221, "csISO2022JP"}, {50222, "ISO-2022-JP"},  {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"},  {28595, "ISO-8859-5"},  {28597, "ISO-8859-7"},   {28605, "ISO-8859-15"},
    {20866, "KOI8-R"},      {65001, "UTF-8"},       {65000, "UTF-7"},        {1200, "UTF-16LE"},
    {1201, "UTF-16BE"},     {20127, "US-ASCII"},    {437, "IBM437"},         {850, "IBM850"},
};

// Other names the same code pages go by.
static const InternetName kAliases[] = {
    {932, "shift-jis"},  {932, "sjis"},        {932, "x-sjis"},   {932, "ms_kanji"},
    {932, "csShiftJIS"}, {932, "windows-31j"}, {20932, "eucjp"},  {20932, "x-euc-jp"},
    {20932, "euc_jp"},   {65001, "utf8"},      {1200, "utf-16"},  {1200, "unicode"},
    {20127, "ascii"},    {20127, "us_ascii"},  {28591, "latin1"}, {28591, "iso_8859-1"},
    {936, "gbk"},        {949, "euc-kr"},      {1252, "cp1252"},  {65001, "unicode-1-1-utf-8"},
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
int32_t textEncodingVariantGetter(TextEncodingObject *e, int32_t) { return e ? e->variant : 0; }

// The internet name of the code page; "windows-N" for one without a better-known name.
RString *textEncodingInternetName(TextEncodingObject *e) {
  if (!e) return nullptr;
  for (const InternetName &n : kInternetNames)
    if (n.codePage == e->base) return str_from(n.name);
  char name[24];
  snprintf(name, sizeof name, "windows-%d", (int)e->base);
  return str_from(name);
}

// The encoding of a code page (0: the application's own), with the variant
// and format kept as given; nil for a code page that cannot be converted.
TextEncodingObject *getTextEncoding(int32_t base, int32_t variant, int32_t format) {
  if (!cp_known(base)) return nullptr;
  TextEncodingObject *e = text_encoding_new(cp_resolve(base));
  if (!e) return nullptr;
  e->variant = variant;
  e->format = format;
  return e;
}

static bool same_name(const char *a, const char *b) {
  for (; *a && *b; a++, b++) {
    char x = *a >= 'A' && *a <= 'Z' ? char(*a + 32) : *a;
    char y = *b >= 'A' && *b <= 'Z' ? char(*b + 32) : *b;
    if (x != y) return false;
  }
  return *a == *b;
}

// The code page of a name in "windows-N", "cpN" or "ibmN" form; 0 for another.
static int32_t numbered_name(const char *name) {
  static const char *const kPrefixes[] = {"windows-", "cp", "ibm"};
  for (const char *prefix : kPrefixes) {
    size_t n = strlen(prefix);
    char head[12] = {};
    snprintf(head, sizeof head, "%.*s", (int)n, name);
    if (!same_name(head, prefix)) continue;
    char *end;
    long cp = strtol(name + n, &end, 10);
    if (end != name + n && *end == 0 && cp > 0 && cp < 0x10000) return (int32_t)cp;
  }
  return 0;
}

static int32_t code_page_named(const char *name) {
  for (const InternetName &n : kInternetNames)
    if (same_name(n.name, name)) return n.codePage;
  for (const InternetName &n : kAliases)
    if (same_name(n.name, name)) return n.codePage;
  return numbered_name(name);
}

// The encoding an internet name (in any case, or an alias) stands for; nil
// for a name nobody uses or a code page the platform lacks.
TextEncodingObject *getInternetTextEncoding(RString *name) {
  int32_t cp = code_page_named(str_cview(name));
  return cp ? getTextEncoding(cp, 0, 0) : nullptr;
}

// The encoding a Japanese text is most likely in; text of ASCII alone (or
// none) answers the application's code page.
TextEncodingObject *guessJapaneseEncoding(RString *text) {
  int32_t cp =
      guess_japanese((const uint8_t *)str_cview(text), (size_t)str_len(text), cp_resolve(0));
  return getTextEncoding(cp, 0, 0);
}
