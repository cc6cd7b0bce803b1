// Runtime initialisation: services first (OLE, the class registry, plug-ins,
// the stack limit, deferred links), then the image's class directory, its
// project items and settings, and finally the application object and its
// opening events. Everything read from the image is range-checked: a damaged
// directory stops the application with a message instead of a crash.
#include "startup/init.h"
#include "files/file.h"
#include "files/stream.h"
#include "lifecycle/exitlist.h"
#include "plugins/plugin.h"
#include "objects/registry.h"
#include "objects/date.h"
#include "objects/raise.h"
#include "objects/collection.h"
#include "objects/dictionary.h"
#include "objects/variant.h"
#include "lifecycle/exception.h"
#include "base/pool.h"
#include "startup/loader.h"
#include <cstdlib>
#include "lifecycle/application.h"
#include "startup/entrytable.h"
#include "lifecycle/thread.h"
#include "base/fault.h"
#include "base/platform.h"
#include "text/packed.h"
#include "text/string.h"
#include "database/datacontrol.h"
#include "dragdrop/dragdrop.h"
#include "media/movie.h"
#include "ui/boundparts.h"
#include "ui/buttons.h"
#include "ui/editfield.h"
#include "ui/contextmenu.h"
#include "ui/mdi.h"
#include "ui/menubar.h"
#include "ui/windowobject.h"
#include "ui/statictext.h"
#include "ui/tabpanel.h"
#include "ui/winclasses.h"
#include "ui/nativewindow.h"
#include "ui/plugincontrol.h"
#include "ui/listbox.h"
#include "ui/popupmenu.h"
#include "ui/progressbar.h"
#include "ui/scroller.h"
#include "ui/canvas.h"
#include "ui/timer.h"
#include "ui/line.h"
#include "devices/socket.h"
#include "database/database.h"
#include "devices/serial.h"
#include "graphics/picture.h"
#include "files/clipboard.h"
#include "files/filedialog.h"
#include "files/memoryblock.h"
#include "devices/sound.h"
#include "printing/printersetup.h"
#include "printing/styledprinter.h"
#include <ole2.h>
#include <cstdio>
#include <cstring>
#include <initializer_list>

enum { kStackReserve = 0xDE000 }; // bytes below RuntimeInit's frame that compiled code may use

/* ---- reading the image's data block safely ---- */

[[noreturn]] static void damaged(const char *what) {
  char text[256];
  snprintf(text, sizeof text,
           "The application could not be started because its image is damaged: %s.", what);
  gPlatform.messageBox(nullptr, text, "Message", MB_OK | MB_ICONINFORMATION);
  fault_end_process();
}

static bool inData(uintptr_t address, uint32_t bytes) {
  uintptr_t base = (uintptr_t)gDataBase;
  return address >= base && bytes <= (uint32_t)gDataLength &&
         address - base <= (uint32_t)gDataLength - bytes;
}

static bool inCode(uintptr_t address) {
  uintptr_t base = (uintptr_t)gCodeBase;
  return address >= base && address - base < (uint32_t)gCodeLength;
}

// A cursor over words of data1.
struct Words {
  const uint8_t *at;
  const char *what; // named in the message when the record runs out of data1
};

static uint32_t word(Words *w) {
  if (!inData((uintptr_t)w->at, 4)) damaged(w->what);
  uint32_t v;
  memcpy(&v, w->at, 4);
  w->at += 4;
  return v;
}

static Words wordsAt(uint32_t address, const char *what) {
  if (!inData(address, 4)) damaged(what);
  return {(const uint8_t *)(uintptr_t)address, what};
}

// A static runtime string in data1 (or 0 for the empty one).
static RString *imageString(uint32_t address, const char *what) {
  if (address == 0) return nullptr;
  RString *s = (RString *)(uintptr_t)address;
  if (!inData(address, sizeof(RString)) || s->length < 0 ||
      !inData((uintptr_t)s->buffer, (uint32_t)s->length + 2))
    damaged(what);
  return s;
}

static void *codeAddress(uint32_t address, const char *what) {
  if (address == 0) return nullptr;
  if (!inCode(address)) damaged(what);
  return (void *)(uintptr_t)address;
}

/* ---- the class directory ---- */

enum { kReferenceForm = 1, kDefinitionForm = 0 };

static ClassDef *tableEntry(int32_t index, const char *what) {
  if (index < 0 || index >= gClassCount) damaged(what);
  return gClassTable[index];
}

static ClassDef *findReferencedClass(const char *name) {
  ClassDef *cls = registry_find(name);
  if (!cls) cls = plugin_find_control(name);
  if (!cls) cls = plugin_find_class(name);
  return cls;
}

// First pass: every record gets its table entry, so that later records (and
// interface lists) may name classes that come after them.
static void enterClass(int32_t index, uint32_t record) {
  Words w = wordsAt(record, "a class record lies outside the data block");
  if (word(&w) == kReferenceForm) {
    RString *name = imageString(word(&w), "a class name lies outside the data block");
    gClassTable[index] = findReferencedClass(str_cview(name));
    if (!gClassTable[index]) fault_assert(kFaultUnnamed, 2, nullptr, 0);
    return;
  }
  ClassDef *cls = (ClassDef *)pool_alloc(sizeof(ClassDef));
  class_setup(cls);
  gClassTable[index] = cls;
}

// Second pass: a definition record read front to back. Returns the
// superclass index (-1 for none).
static int32_t readDefinition(ClassDef *cls, uint32_t record) {
  Words w = wordsAt(record, "a class record lies outside the data block");
  w.what = "a class record runs past the end of the data block";
  word(&w); /* the form word */
  cls->instanceSize = (int32_t)word(&w);
  cls->name = imageString(word(&w), "a class name lies outside the data block");
  RuntimeLockString(cls->name);
  int32_t superIndex = (int32_t)word(&w);
  if (word(&w)) {
    cls->constructor = (ObjectRoutine)codeAddress(word(&w), "a constructor lies outside the code");
    cls->destructor = (ObjectRoutine)codeAddress(word(&w), "a destructor lies outside the code");
  }
  cls->isInterface = (uint8_t)word(&w);
  for (uint32_t n = word(&w); n > 0; n--) {
    ClassDef *iface = tableEntry((int32_t)word(&w), "an interface index is out of range");
    if (iface) class_add_interface(cls, iface);
  }
  for (uint32_t n = word(&w); n > 0; n--) {
    RString *name = imageString(word(&w), "a method name lies outside the data block");
    void *entry =
        cls->isInterface ? nullptr : codeAddress(word(&w), "a method lies outside the code");
    class_add_method(cls, str_cview(name), nullptr, nullptr, 0, entry);
  }
  for (uint32_t n = word(&w); n > 0; n--) {
    RString *name = imageString(word(&w), "a handler name lies outside the data block");
    void *entry = codeAddress(word(&w), "a handler lies outside the code");
    class_add_handler(cls, name, (int32_t)word(&w), entry);
  }
  for (uint32_t n = word(&w); n > 0; n--) {
    RString *name = imageString(word(&w), "a constant name lies outside the data block");
    class_add_constant(cls, name, (int32_t)word(&w));
  }
  uint32_t d = word(&w);
  if (d > 0) {
    if (!inData((uintptr_t)w.at, d * 4)) damaged("a dispatch table runs past the data block");
    cls->dispatchTable = (void **)w.at; /* used where it lies */
    cls->dispatchSize = (int32_t)d;
  }
  return superIndex;
}

static void diagnoseSize(const ClassDef *cls, const ClassDef *super) {
  char line[300];
  fault_diagnostic("!!! RuntimeInit -- Bad class object size\n");
  snprintf(line, sizeof line, "\tClass Name: %s\n", str_cview(cls->name));
  fault_diagnostic(line);
  snprintf(line, sizeof line, "\tClass Size: %ld\n", (long)cls->instanceSize);
  fault_diagnostic(line);
  snprintf(line, sizeof line, "\tSuper Name: %s\n", str_cview(super->name));
  fault_diagnostic(line);
  snprintf(line, sizeof line, "\tSuper Size: %ld\n", (long)super->instanceSize);
  fault_diagnostic(line);
}

// An image class smaller than its superclass would have its instances
// overrun by the superclass's own fields: the compiler cannot know the size
// of a plug-in's control it subclasses for the control's handlers. After the
// diagnostic such a class takes its superclass's size, down every chain.
static void growUndersized(const int32_t *superIndex) {
  for (bool grew = true; grew;) {
    grew = false;
    for (int32_t i = 0; i < gClassCount; i++) {
      ClassDef *c = gClassTable[i];
      if (superIndex[i] == -1 || !c->superclass) continue;
      if (c->instanceSize >= c->superclass->instanceSize) continue;
      c->instanceSize = c->superclass->instanceSize;
      grew = true;
    }
  }
}

// Superclasses are linked once every definition has been read, so that a
// superclass listed later has its size when it is compared.
static void loadClasses(Words *dir) {
  gClassCount = (int32_t)word(dir);
  if (gClassCount < 0 || !inData((uintptr_t)dir->at, (uint32_t)gClassCount * 4))
    damaged("the class directory runs past the data block");
  gClassTable = (ClassDef **)pool_alloc(gClassCount * 4 + 4);
  int32_t *superIndex = (int32_t *)pool_alloc(gClassCount * 4 + 4);
  const uint32_t *records = (const uint32_t *)dir->at;
  for (int32_t i = 0; i < gClassCount; i++) enterClass(i, word(dir));
  for (int32_t i = 0; i < gClassCount; i++) {
    Words form = wordsAt(records[i], "a class record lies outside the data block");
    superIndex[i] =
        word(&form) == kDefinitionForm ? readDefinition(gClassTable[i], records[i]) : -1;
  }
  for (int32_t i = 0; i < gClassCount; i++) {
    if (superIndex[i] == -1) continue;
    ClassDef *super = tableEntry(superIndex[i], "a superclass index is out of range");
    gClassTable[i]->superclass = super;
    if (super && gClassTable[i]->instanceSize < super->instanceSize)
      diagnoseSize(gClassTable[i], super);
  }
  growUndersized(superIndex);
  pool_free(superIndex, gClassCount * 4 + 4);
}

// The application class: the last image class with Application on its chain.
static int32_t findApplicationClass() {
  int32_t found = -1;
  for (int32_t i = 0; i < gClassCount; i++) {
    ClassDef *cls = gClassTable[i];
    if (cls && !cls->registered && cls->superclass &&
        class_derives_from(cls->superclass, gApplicationClass))
      found = i;
  }
  return found;
}

/* ---- project settings ---- */

int32_t charset_for_script(int32_t script) {
  static const int32_t kScripts[][2] = {{13, 128}, {21, 136}, {12, 177}, {14, 178},
                                        {16, 161}, {19, 162}, {24, 222}, {34, 204}};
  for (auto &pair : kScripts)
    if (pair[0] == script) return pair[1];
  return 1;
}

static void readSettings(const uint8_t *bytes, int32_t length) {
  PackedStream s = packed_stream(bytes, length);
  ProjectSettings *p = &gSettings;
  p->accessorFlag = packed_byte(&s);
  packed_be32(&s); /* unused */
  p->characterSet = charset_for_script((int32_t)packed_be32(&s));
  vec_init(&p->fileTypes);
  for (int32_t n = packed_int(&s); n > 0 && !s.damaged; n--) {
    FileType *t = (FileType *)pool_alloc(sizeof(FileType));
    t->name = packed_string(&s);
    t->creator = packed_string(&s);
    t->type = packed_string(&s);
    t->extensions = packed_string(&s);
    vec_append_ptr(&p->fileTypes, t);
  }
  vec_init(&p->messages);
  for (int32_t n = packed_int(&s); n > 0 && !s.damaged; n--)
    vec_append_ptr(&p->messages, packed_string(&s));
  p->mdi = packed_byte(&s);
  p->applicationName = packed_string(&s);
  if (s.damaged) damaged("the project settings end too soon");
}

/* ---- project items ---- */

// A built-in object for an item; `fields` fill the words after the root
// class's own (the object's first fields), as far as the instance holds them.
static Object *resourceObject(const char *className, std::initializer_list<uint32_t> fields) {
  ClassDef *cls = registry_find(className);
  Object *o = CreateInstance(cls ? cls : &gObjectClass);
  uint32_t *word = (uint32_t *)o + 6;
  for (uint32_t v : fields)
    if ((uint8_t *)(word + 1) <= (uint8_t *)o + o->cls->instanceSize) *word++ = v;
  return o;
}

// The first `size` bytes of resource entry `number`; the file is left just
// after them.
static bool readEntryStart(int32_t number, HANDLE *file, void *body, DWORD size) {
  uint32_t at;
  DWORD got = 0;
  return ReadResourceBlockEntry(number, file, &at) &&
         SetFilePointer(*file, at, nullptr, FILE_BEGIN) == at &&
         ReadFile(*file, body, size, &got, nullptr) && got == size;
}

// A 68-byte cursor body (16 rows of image bits, 16 of mask bits, the hot
// spot as i16 BE, vertical first) as a 32 x 32 platform cursor: outside the
// top-left 16 x 16 all transparent; inside, mask 1 shows the image (1 black,
// 0 white) and mask 0 with image 1 inverts.
HCURSOR cursor_from_body(const uint8_t *body) {
  uint8_t andBits[32 * 4], xorBits[32 * 4];
  memset(andBits, 0xFF, sizeof andBits);
  memset(xorBits, 0, sizeof xorBits);
  for (int row = 0; row < 16; row++)
    for (int b = 0; b < 2; b++) {
      uint8_t image = body[row * 2 + b], mask = body[32 + row * 2 + b];
      andBits[row * 4 + b] = (uint8_t)~mask;
      xorBits[row * 4 + b] = image ^ mask;
    }
  int hotY = (int16_t)(body[64] << 8 | body[65]), hotX = (int16_t)(body[66] << 8 | body[67]);
  return CreateCursor(gInstance, hotX, hotY, 32, 32, andBits, xorBits);
}

// The cursor of resource entry `number`; nil when the entry cannot be read.
static HCURSOR cursorFromResource(int32_t number) {
  HANDLE file;
  uint8_t body[68];
  return readEntryStart(number, &file, body, sizeof body) ? cursor_from_body(body) : nullptr;
}

constexpr uint32_t kMaxCarriedResource = 64u << 20;

template <typename T> static T &field(Object *o, int32_t offset) {
  return *(T *)((char *)o + offset);
}

// A carried file's resource body: its byte length (u32 BE), then its bytes
// (a block from malloc; nil when unreadable or empty).
static uint8_t *carriedResource(int32_t number, size_t *length) {
  HANDLE file;
  uint8_t word[4];
  DWORD got = 0;
  if (!readEntryStart(number, &file, word, sizeof word)) return nullptr;
  uint32_t size = (uint32_t)word[0] << 24 | word[1] << 16 | word[2] << 8 | word[3];
  uint8_t *bytes = size && size <= kMaxCarriedResource ? (uint8_t *)malloc(size) : nullptr;
  if (bytes && (!ReadFile(file, bytes, size, &got, nullptr) || got != size)) {
    free(bytes);
    return nullptr;
  }
  *length = size;
  return bytes;
}

// A carried text (kind 7) or data file (kind 8): the resource number, then
// the file's bytes as a string or in a MemoryBlock of its own. A resource
// that cannot be read leaves the text empty and the block nil.
static Object *carriedFileObject(const char *className, int32_t number, bool text) {
  Object *o = CreateInstance(registry_find(className));
  if (!o) return nullptr;
  field<int32_t>(o, 16) = number;
  size_t length = 0;
  uint8_t *bytes = carriedResource(number, &length);
  if (bytes && text) {
    field<RString *>(o, 20) = str_make((const char *)bytes, (int32_t)length);
  } else if (bytes) {
    Object *block = newMemoryBlock((int32_t)length);
    if (block) memcpy(memoryBlockGetPtr(block), bytes, length);
    field<Object *>(o, 20) = block;
  }
  free(bytes);
  return o;
}

static Object *makeItem(uint32_t address) {
  Words w = wordsAt(address, "a project item lies outside the data block");
  w.what = "a project item runs past the end of the data block";
  switch (word(&w)) {
  case 1:
    return resourceObject("Picture", {word(&w), 0}); /* Transparent; the image later */
  case 2: {
    uint32_t length = word(&w);
    if (!inData((uintptr_t)w.at, length)) damaged("the menu bar runs past the data block");
    gMenuBarDescription = w.at; /* read by the menus */
    gMenuBarLength = (int32_t)length;
    return nullptr;
  }
  case 3: {
    MovieObject *m = movie_project_new((int32_t)word(&w));
    return m ? &m->header : nullptr;
  }
  case 4: {
    word(&w);
    uint32_t length = word(&w);
    if (!inData((uintptr_t)w.at, length)) damaged("the project settings run past the data block");
    readSettings(w.at, (int32_t)length);
    return nullptr;
  }
  case 5: {
    int32_t classIndex = (int32_t)word(&w);
    uint32_t slot = word(&w);
    if (!inData(slot, 4)) damaged("a project item's slot lies outside the data block");
    *(Object **)(uintptr_t)slot = RuntimeNewObject(classIndex);
    return nullptr;
  }
  case 6: {
    word(&w); /* the resource number: the sound data follows in line */
    uintptr_t end = (uintptr_t)gDataBase + (uint32_t)gDataLength;
    const uint8_t *data = (const uint8_t *)w.at;
    return sound_image_new(data, (uintptr_t)data <= end ? (uint32_t)(end - (uintptr_t)data) : 0);
  }
  case 7:
    return carriedFileObject("TextResource", (int32_t)word(&w), true);
  case 8:
    return carriedFileObject("DataResource", (int32_t)word(&w), false);
  case 9: {
    /* the handle in the cursor's first field, where the standard cursors keep theirs */
    Object *cursor = CreateInstance(registry_find("MouseCursor"));
    if (cursor) field<HCURSOR>(cursor, 16) = cursorFromResource((int32_t)word(&w));
    return cursor;
  }
  case 10: {
    uint32_t length = word(&w), text = word(&w), a = word(&w), b = word(&w);
    if (!inData(text, length)) damaged("a database name lies outside the data block");
    if (a && !inData(b, a)) damaged("a database's carried file lies outside the data block");
    return database_project_item((const char *)(uintptr_t)text, (int32_t)length,
                                 a ? (const uint8_t *)(uintptr_t)b : nullptr, (int32_t)a);
  }
  default:
    fault_assert(kFaultUnnamed, 3, nullptr, 0);
    return nullptr;
  }
}

static void loadProjectItems(Words *dir) {
  int32_t m = (int32_t)word(dir);
  if (m < 0 || !inData((uintptr_t)dir->at, (uint32_t)m * 4))
    damaged("the project item list runs past the data block");
  gProjectObjectCount = m + 1;
  gProjectObjects = (Object **)pool_alloc((m + 1) * 4);
  memset(gProjectObjects, 0, (m + 1) * 4);
  for (int32_t i = 0; i < m; i++) {
    uint32_t item = word(dir);
    if (item) gProjectObjects[i + 1] = makeItem(item);
  }
}

/* ---- the application object and its documents ---- */

int split_command_line(const char *line, void (*visit)(RString *item, void *context),
                       void *context) {
  int count = 0;
  for (const char *p = line; *p;) {
    if (*p == ' ') {
      p++;
      continue;
    }
    const char *start = p, *end;
    if (*p == '"') {
      start = ++p;
      while (*p && *p != '"') p++;
      end = p;
      if (*p) p++; /* the closing quote */
    } else {
      while (*p && *p != ' ') p++;
      end = p;
    }
    RString *item = str_make(start, (int32_t)(end - start));
    visit(item, context);
    RuntimeUnlockString(item);
    count++;
  }
  return count;
}

struct Opening {
  Object *app;
  FolderItem *item; // one folder item serves every document
};

static void openDocument(RString *path, void *context) {
  Opening *o = (Opening *)context;
  folderitem_set_path(o->item, path);
  raise_event_with(o->app, "OpenDocument", &o->item->header);
}

// Raises OpenDocument for every command-line item; false when none was opened.
static bool openCommandLineDocuments(Object *app) {
  FolderItem *item = (FolderItem *)CreateInstance(gFolderItemClass);
  Opening opening = {app, item};
  EventRecord *event = class_find_event(app->cls, "OpenDocument");
  bool opened = event && event_handler_entry(app, event) && gCommandLine &&
                split_command_line(gCommandLine, openDocument, &opening) > 0;
  RuntimeUnlockObject(&item->header);
  return opened;
}

/* ---- RuntimeInit ---- */

// What the plug-in layer reaches above itself.
static const PluginHost kPluginHost = {entry_routine, plugin_control_create_pane,
                                       KARUInvalidateControl};

void runtime_classes_init() {
  if (registry_built()) return; /* once a process: a second RuntimeInit keeps them */
  objects_set_raise(exception_throw);
  plugins_connect(&kPluginHost);
  registry_init(entry_routine);
  folderitem_classes_attach();
  filedialog_classes_attach();
  sound_classes_attach();
  date_classes_attach();
  variant_classes_attach();
  dictionary_classes_attach();
  collection_classes_attach();
  thread_classes_attach();
  timer_classes_attach();
  socket_classes_attach();
  database_classes_attach();
  serial_classes_attach();
  graphics_classes_attach();
  picture_classes_attach();
  picture_set_resource_reader(carriedResource);
  movie_set_resource_reader(carriedResource); /* the same length-prefixed file */
  clipboard_classes_attach();
  memoryblock_classes_attach();
  stream_classes_attach();
  printersetup_classes_attach();
  styledprinter_classes_attach();
  exitlist_set_final(file_close_all); /* after the exit list: files no object closed */
  window_classes_attach();
  buttons_install();
  statictext_install();
  tabpanel_install();
  editfield_install();
  scroller_install();
  canvas_install();
  progressbar_install();
  popupmenu_install();
  listbox_install();
  boundparts_install();
  datacontrol_install();
  movies_attach();
  contextmenu_install();
  line_install();
  control_classes_attach(); /* after the kinds: it gives their classes CreatePane */
  dragdrop_install();       /* after the controls: it wraps their destructor */
}

static void setUpServices() {
  OleInitialize(nullptr);
  runtime_classes_init();
  plugins_install();
}

void RuntimeInit(const uint8_t *classDirectory) {
  gStartTick = GetTickCount();
  gRuntimeStarted = true;
  ui_register_window_classes();
  window_install();
  setUpServices();
  gStackLimit = (uintptr_t)__builtin_frame_address(0) - kStackReserve;
  ResolveDeferredLinks();
  Words dir = wordsAt((uint32_t)(uintptr_t)classDirectory,
                      "the class directory lies outside the data block");
  loadClasses(&dir);
  interfaces_build();
  int32_t appIndex = findApplicationClass();
  loadProjectItems(&dir);
  menubar_ensure();               /* the frame and the first document window carry it */
  if (gSettings.mdi) mdi_start(); /* the frame holds every window from now on */
  gAppObject = appIndex >= 0 ? RuntimeNewObject(appIndex) : CreateInstance(gApplicationClass);
  raise_event(gAppObject, "Open");
  if (gAppObject && !openCommandLineDocuments(gAppObject)) ApplicationNewDocument(gAppObject);
}
