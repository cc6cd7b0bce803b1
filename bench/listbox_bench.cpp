// Listbox figures: painting the same pane over a list of 100 rows and over
// one of 100,000 (the ratio should stay near 1, the rows in view being all
// that is drawn), and adding 10,000 rows of three cells and sorting them
// against std::sort of the same texts with the same comparison.
#include "base/platform.h"
#include "objects/classdef.h"
#include "objects/registry.h"
#include "startup/init.h"
#include "startup/loader.h"
#include "text/string.h"
#include "ui/listpane.h"
#include "ui/nativewindow.h"
#include "ui/windowobject.h"
#include "ui/winclasses.h"
#include "windowstream.h"
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "clock.h"

extern "C" {
void RuntimeListAddRow(ListboxObject *list, RString *text);
void RuntimeListEmpty(ListboxObject *list);
void listSetCell(ListboxObject *list, int32_t row, int32_t column, RString *text);
}

enum {
  kPaints = 200, // paints of the whole pane per figure
  kSortRows = 10000,
  kRepeats = 3, // the best of these counts
};

static void pump() {
  MSG m;
  for (int i = 0; i < 20; i++)
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

static WindowObject *openWindow(ClassDef *windowClass, ClassDef *listClass) {
  static ClassDef *table[2];
  table[0] = windowClass, table[1] = listClass;
  gClassTable = table;
  gClassCount = 2;
  img::WindowDescription d{
      0, {{"Name", "W"}, {"Frame", "0"}, {"Width", "400"}, {"Height", "300"}}, {}};
  d.controls.push_back({1,
                        {{"Name", "l"},
                         {"Index", "-2147483648"},
                         {"Left", "10"},
                         {"Top", "10"},
                         {"Width", "360"},
                         {"Height", "260"},
                         {"Visible", "True"},
                         {"Enabled", "True"},
                         {"ColumnCount", "3"},
                         {"ScrollBarVertical", "True"},
                         {"HasHeading", "True"}}});
  img::Bytes body = img::encode_window_description(d), bytes;
  img::put_u32(bytes, (uint32_t)body.size());
  bytes.insert(bytes.end(), body.begin(), body.end());
  WindowObject *w = (WindowObject *)RuntimeCreateWindow(bytes.data(), nullptr);
  pump();
  return w;
}

static ListboxObject *listOf(WindowObject *w) {
  RString *name = str_from("l");
  Object *o = RuntimeControlFetch(w, name);
  RuntimeUnlockString(name);
  return (ListboxObject *)o;
}

static RString *text(const char *prefix, int i) {
  char buffer[32];
  int n = snprintf(buffer, sizeof buffer, "%s%d", prefix, (i * 7919) % 100003);
  return str_make(buffer, n);
}

static void fill(ListboxObject *list, int rows) {
  RuntimeListEmpty(list);
  for (int i = 0; i < rows; i++) {
    RString *t = text("row ", i);
    RuntimeListAddRow(list, t);
    RuntimeUnlockString(t);
  }
}

// The pane painted whole into a memory context, as its paint would.
static double paint(ListboxObject *list) {
  Pane *p = list->control.pane;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 300);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  double t0 = seconds_now();
  for (int i = 0; i < kPaints; i++) {
    p->dc = dc;
    p->kind->draw(p, dc);
    p->dc = nullptr;
  }
  GdiFlush();
  double t = seconds_now() - t0;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return t;
}

static double addAndSort(ListboxObject *list) {
  RuntimeListEmpty(list);
  double t0 = seconds_now();
  for (int i = 0; i < kSortRows; i++) {
    RString *t = text("row ", i);
    RuntimeListAddRow(list, t);
    RuntimeUnlockString(t);
    for (int c = 1; c <= 2; c++) {
      RString *cell = text(c == 1 ? "b " : "c ", i + c);
      listSetCell(list, i, c, cell);
      RuntimeUnlockString(cell);
    }
  }
  list_sort_by(list, 0);
  return seconds_now() - t0;
}

static double plainSort() {
  std::vector<RString *> texts;
  for (int i = 0; i < kSortRows; i++) texts.push_back(text("row ", i));
  double t0 = seconds_now();
  std::sort(texts.begin(), texts.end(),
            [](RString *a, RString *b) { return RuntimeStringCompare(a, b) < 0; });
  double t = seconds_now() - t0;
  for (RString *t : texts) RuntimeUnlockString(t);
  return t;
}

int main() {
  runtime_core_init();
  gInstance = GetModuleHandleA(nullptr);
  runtime_classes_init();
  ui_register_window_classes();
  window_install();
  ClassDef windowClass;
  class_setup(&windowClass);
  windowClass.name = str_from("BenchWindow");
  windowClass.superclass = gWindowClass;
  windowClass.instanceSize = 120;
  WindowObject *w = openWindow(&windowClass, registry_find("Listbox"));
  ListboxObject *list = w ? listOf(w) : nullptr;
  if (!list || !lpane(list)) {
    printf("no list pane\n");
    return 1;
  }
  double small = 1e300, large = 1e300, sorted = 1e300, plain = 1e300;
  for (int r = 0; r < kRepeats; r++) {
    fill(list, 100);
    small = std::min(small, paint(list));
    fill(list, 100000);
    large = std::min(large, paint(list));
    sorted = std::min(sorted, addAndSort(list));
    plain = std::min(plain, plainSort());
  }
  printf("paint, 100 rows            %8.3f ms a paint\n", small * 1e3 / (double)kPaints);
  printf("paint, 100,000 rows        %8.3f ms a paint   ratio %.2f\n", large * 1e3 / (double)kPaints,
         large / small);
  printf("10,000 rows of 3 cells added and sorted %8.1f ms\n", sorted * 1e3);
  printf("std::sort of the 10,000 texts           %8.1f ms   ratio %.1f\n", plain * 1e3,
         sorted / plain);
  RuntimeListEmpty(list);
  RuntimeCloseWindow(w);
  RuntimeUnlockObject(&w->header);
  pump();
  return 0;
}
