// The system's file dialogs: GetOpenFolderItem and GetSaveFolderItem with the
// project's file types as the filter, the FolderItemDialog classes shown
// through the same routine, and whether the last one was cancelled.
#include "files/filedialog.h"
#include "files/file.h"
#include "files/filetypes.h"
#include "files/shellpath.h"
#include "objects/registry.h"
#include <commdlg.h>
#include "lifecycle/exception.h"
#include <cstring>
#include <initializer_list>

enum class DialogKind { Open, Save, Folder };

// What one showing of a dialog asks for.
struct DialogRequest {
  DialogKind kind;
  const char *types;  // registered type names for the filter
  const char *name;   // the name to start with
  const char *title;  // nil: the system's caption
  const char *prompt; // nil: the system's label
  const char *folder; // nil: the system's choice
  const char *action; // nil: the system's button texts
  const char *cancel;
  int32_t left, top; // both 0: the system places the window
  char *out;         // kDialogNameMax bytes: the chosen path
};

static bool gUserCancelled; // the last dialog was closed without a choice

bool getUserCancelled() { return gUserCancelled; }

bool dialog_copy_name(char *out, int32_t size, const char *text) {
  int32_t n = 0;
  while (text[n]) {
    int32_t width = IsDBCSLeadByte((BYTE)text[n]) && text[n + 1] ? 2 : 1;
    if (n + width >= size) break;
    n += width;
  }
  memcpy(out, text, n);
  out[n] = 0;
  return text[n] == 0;
}

/* ---- the open and save dialogs ---- */

constexpr int kPromptLabel = 0x442; /* the label beside the file-name box */

// Sets the texts and the position the request asks for once the dialog is
// ready; the dialog itself is this hook window's parent.
static UINT_PTR CALLBACK fileHook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(hook, GWLP_USERDATA, ((OPENFILENAMEA *)lParam)->lCustData);
    return 0;
  }
  if (message != WM_NOTIFY || ((OFNOTIFYA *)lParam)->hdr.code != CDN_INITDONE) return 0;
  auto *r = (const DialogRequest *)GetWindowLongPtrA(hook, GWLP_USERDATA);
  HWND dialog = GetParent(hook);
  if (r->action) SendMessageA(dialog, CDM_SETCONTROLTEXT, IDOK, (LPARAM)r->action);
  if (r->cancel) SendMessageA(dialog, CDM_SETCONTROLTEXT, IDCANCEL, (LPARAM)r->cancel);
  if (r->prompt) SendMessageA(dialog, CDM_SETCONTROLTEXT, kPromptLabel, (LPARAM)r->prompt);
  if (r->left || r->top)
    SetWindowPos(dialog, nullptr, r->left, r->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  return 0;
}

static bool needsHook(const DialogRequest &r) {
  return r.action || r.cancel || r.prompt || r.left || r.top;
}

// Shows the open or save dialog; false on a cancel or a failure.
static bool showFileDialog(DialogRequest &r, bool *failed) {
  FileFilter filter;
  bool filtered = filter_build(r.types, &filter);
  if (!dialog_copy_name(r.out, kDialogNameMax, r.name)) *failed = true; /* shown cut short */
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = GetActiveWindow();
  ofn.lpstrFilter = filtered ? filter.text : nullptr;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = r.out;
  ofn.nMaxFile = kDialogNameMax;
  ofn.lpstrInitialDir = r.folder;
  ofn.lpstrTitle = r.title;
  ofn.lpstrDefExt = filter.extension[0] ? filter.extension : nullptr;
  ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER |
              (r.kind == DialogKind::Open ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT);
  if (needsHook(r)) {
    ofn.Flags |= OFN_ENABLEHOOK;
    ofn.lpfnHook = fileHook;
    ofn.lCustData = (LPARAM)&r;
  }
  BOOL chosen = r.kind == DialogKind::Open ? GetOpenFileNameA(&ofn) : GetSaveFileNameA(&ofn);
  if (!chosen && CommDlgExtendedError() != 0) *failed = true; /* e.g. the name did not fit */
  return chosen;
}

// Shows the dialog the request names; the item chosen, or nil when the user
// cancelled (getUserCancelled true) or the dialog failed (false).
// The folder browser writes a whole platform path, more than the name buffer
// holds: a folder whose path does not fit is a failure, not a cut path.
static bool showFolderDialog(DialogRequest &r, bool *failed) {
  char folder[MAX_PATH];
  if (!shell_browse_folder(GetActiveWindow(), r.prompt ? r.prompt : r.title, folder)) return false;
  *failed = !dialog_copy_name(r.out, kDialogNameMax, folder);
  return !*failed;
}

static Object *show(DialogRequest &r) {
  bool failed = false;
  bool chosen =
      r.kind == DialogKind::Folder ? showFolderDialog(r, &failed) : showFileDialog(r, &failed);
  gUserCancelled = !chosen && !failed;
  return chosen ? folderitem_at(r.out) : nullptr;
}

static DialogRequest request(DialogKind kind, const char *types, const char *name, char *out) {
  DialogRequest r = {};
  r.kind = kind, r.types = types, r.name = name, r.out = out;
  return r;
}

Object *RuntimeGetOpenFolderItem(RString *types) {
  char out[kDialogNameMax];
  DialogRequest r = request(DialogKind::Open, str_cview(types), "", out);
  return show(r);
}

Object *RuntimeGetSaveFolderItem(RString *types, RString *defaultName) {
  char out[kDialogNameMax];
  DialogRequest r = request(DialogKind::Save, str_cview(types), str_cview(defaultName), out);
  return show(r);
}

/* ---- the dialog classes ---- */

static const char *textOrNil(RString *s) { return str_len(s) ? str_cview(s) : nullptr; }

static DialogKind kindOf(Object *dialog) {
  for (ClassDef *c = dialog->cls; c; c = c->superclass) {
    if (c == registry_find("SaveAsDialog")) return DialogKind::Save;
    if (c == registry_find("SelectFolderDialog")) return DialogKind::Folder;
  }
  return DialogKind::Open;
}

Object *FolderItemDialogShowModal(Object *object) {
  if (!object) RuntimeNilObject();
  auto *d = (FolderItemDialog *)object;
  char folder[kFolderPathMax];
  bool hasFolder = d->initialDirectory && folderitem_copy_path(d->initialDirectory, folder);
  DialogRequest r =
      request(kindOf(object), str_cview(d->filter), str_cview(d->suggestedFileName), d->fileName);
  r.title = textOrNil(d->title), r.prompt = textOrNil(d->promptText);
  r.folder = hasFolder ? folder : nullptr;
  r.action = textOrNil(d->actionButtonCaption), r.cancel = textOrNil(d->cancelButtonCaption);
  r.left = d->left, r.top = d->top;
  Object *chosen = show(r);
  if (d->result) RuntimeUnlockObject(d->result);
  d->result = chosen;
  if (chosen) RuntimeLockObject(chosen);
  return chosen;
}

static void dialogDestructor(Object *object, ClassDef *) {
  auto *d = (FolderItemDialog *)object;
  for (RString *s : {d->title, d->promptText, d->suggestedFileName, d->filter,
                     d->actionButtonCaption, d->cancelButtonCaption})
    RuntimeUnlockString(s);
  RuntimeUnlockObject(d->initialDirectory);
  RuntimeUnlockObject(d->result);
}

void filedialog_classes_attach() {
  registry_find("FolderItemDialog")->destructor = dialogDestructor;
}
