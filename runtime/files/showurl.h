// Opening a URL or a document with the program the system gives it.
#pragma once
#include "objects/objects.h"

struct RString;

extern "C" {
bool GlobalShowURL(RString *url);                  // ShowURL(url)
bool RuntimeShowURL(Object *system, RString *url); // System.ShowURL(url)
}
