// Full-screen mode of a runtime window.
#include "ui/runview.h"
#include "ui/window.h"

void view_enter_full_screen(View *) {}
void view_leave_full_screen(View *) {}
