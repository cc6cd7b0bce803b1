// Opening a URL ("https://...", "mailto:...") or a document's path with the
// program the system gives it, through the shell. The answer says whether
// the shell took it: an empty text, a file that is not there or a kind of
// URL no program handles is refused, never an error of the program.
#include "files/showurl.h"
#include "files/shellpath.h"
#include "text/string.h"
#include <cstring>

// The shell reads a NUL-terminated text: one with a NUL inside would open
// something other than what was asked, so it is refused.
static bool showURL(RString *url) {
  const char *text = str_cview(url);
  if (str_len(url) == 0 || strlen(text) != (size_t)str_len(url)) return false;
  return shell_open(text);
}

bool GlobalShowURL(RString *url) { return showURL(url); }
bool RuntimeShowURL(Object *, RString *url) { return showURL(url); }
