// The drop target every runtime window registers with the platform. What a
// window or control accepts is declared by the drag-and-drop entry points;
// until something is declared, every drag over the window is refused.
#pragma once
#include <windows.h>

struct IDropTarget;

IDropTarget *drop_target_register(HWND hwnd); // nil when the platform refuses
void drop_target_revoke(HWND hwnd, IDropTarget *target);
