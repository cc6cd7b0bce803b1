// Native windows: the platform window behind every runtime Window, its style
// from the Frame, the window list, the modal list, the window procedure, the
// window pass, the resize rule, size limits and full-screen mode.
#pragma once
#include "ui/pane.h"

struct WindowObject;
struct IDropTarget;

// A native window's frame code: which platform style it gets. A Window's Frame
// property is translated to one of these when the window is made; codes 8 to
// 10 have the styles of 0 to 2.
enum class Frame : uint8_t {
  Document = 0,       // caption
  Floating = 1,       // pop-up tool window with a caption, top-most
  Modal = 2,          // pop-up with a dialog frame
  MovableModal = 3,   // pop-up with a caption and a modal dialog frame
  PlainBox = 4,       // pop-up with a border
  ShadowedBox = 5,    // pop-up with a border and a client edge
  Rounded = 6,        // caption, never resizable
  ModalTool = 7,      // pop-up tool window with a border and edges, modal
  WindowDocument = 8, // a Window's Document frame
  GlobalFloating = 9, // a Window's global floating frame
  WindowModal = 10,
};

// Document windows carry the menu bar outside MDI mode.
inline bool frame_is_document(Frame f) {
  return f == Frame::Document || f == Frame::WindowDocument;
}
// These become children of the MDI client in MDI mode.
inline bool frame_is_mdi_child(Frame f) { return frame_is_document(f) || f == Frame::Rounded; }

// A named attribute of a native window.
struct ViewAttribute {
  ViewAttribute *next;
  RString *name;
  int32_t value;
};

// The native window object: the root pane of its window, and the view that
// the window description's controls live on.
struct View {
  Pane pane;                 // the root pane
  Frame frame;               // 1 byte
  uint8_t visible;           // to be shown by the window pass
  uint8_t resizable;         // GrowIcon on a document kind of window
  uint8_t active;            // between activation and deactivation
  uint8_t closing;           // the close sequence has begun
  uint8_t hasBackground;     // the content is filled with `background`
  uint8_t modal;             // on the modal list
  uint8_t mdiChild;          // made through the MDI client
  uint8_t hasMenu;           // the menu window: it carries the native menu bar
  uint8_t fullScreen;        // in full-screen mode
  Rect16 initialBounds;      // content bounds at creation, screen coordinates
  COLORREF background;       // platform colour, initially white
  View *next;                // window list, newest first
  View *nextView;            // view list, newest first
  View *nextModal;           // modal list, newest first
  Object **variable;         // the compiled code's variable for the window, or nil
  ViewAttribute *attributes; // named values
  WindowObject *window;      // retained while the view lives
  Pane *focusPane;           // the last pane focused in this window
  HBRUSH controlBrush;       // the solid brush for control colours, replaced each time
  RECT mdiFrameRestore;      // the MDI frame's rectangle before full-screen mode
  LONG mdiFrameStyle;        // and its style
  IDropTarget *dropTarget;   // registered with the platform for the native window
};

extern View *gWindowList;     // newest first
extern View *gViewList;       // newest first
extern View *gModalList;      // newest first
extern bool gFirstActivation; // the application has seen its first window activation

// Makes the native window hidden, with the visible flag set; nil when the
// platform refuses. A frame code outside 0..10 is a failed assertion.
View *view_create(WindowObject *window, RString *title, Rect16 bounds, int frame, bool closeBox,
                  bool growIcon, bool zoomIcon, int32_t macProcId);
// The end of the close sequence: the menu bar given up, the native window
// destroyed, the variable released, the lists left, the attributes freed.
void view_destroy(View *view);

View *view_from_hwnd(HWND hwnd);
View *view_newest_visible_modal(); // the first visible view of the modal list, or nil
void view_set_attribute(View *view, const char *name, int32_t value);
bool view_attribute(View *view, const char *name, int32_t *value);

// The resize rule: locked controls follow the change of size since the last
// one reported, then Resized (once per change, after the first activation).
void view_resize_rule(View *view);
void view_record_bounds(View *view); // the native content rectangle as the Window's bounds

// The size limits of a content area (0: no limit), as Window and MDIWindow keep them.
struct SizeLimits {
  int16_t minWidth, minHeight, maxWidth, maxHeight;
};
// Keeps the content of a rectangle being dragged by `edge` (a WMSZ_ code)
// within the limits by moving the dragged edges; over: the non-client overhead.
void limit_dragged_rect(RECT *r, WPARAM edge, SIZE over, const SizeLimits &limits);

void window_pass(); // applies recorded bounds to native windows; shows the ones to show
void view_show(View *view);
void view_hide(View *view);
void view_set_title(View *view, RString *title);
void view_move_to_bounds(View *view); // the native window to the Window's recorded bounds
void view_set_background(View *view, bool has, int32_t color);
void view_show_menu_bar(View *view); // shown or taken away as MenuBarVisible says
void view_enter_full_screen(View *view);
void view_leave_full_screen(View *view);

// The native window's outer rectangle for a content rectangle.
RECT view_outer_rect(View *view, RECT content);

// Colours of the runtime (0x00RRGGBB) and of the platform (0x00BBGGRR).
inline COLORREF color_platform(int32_t c) {
  return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

// The brush answer to a control-colour message of a control's pane.
LRESULT view_control_colour(Pane *pane, HDC dc, UINT message, LPARAM control);

// What menus add to windows: the native menu bar, menu commands, and the
// enabling pass. Until menus exist there is no bar and commands are ignored.
struct MenuHooks {
  HMENU (*bar)();                      // the menu bar, or nil
  void (*command)(View *view, int id); // a menu command from the native menu
  void (*enable)();                    // the enabling pass
};
extern MenuHooks gMenuHooks;

void window_install(); // the window procedure, the loop and message-box hooks
