// The shell's services for paths: special folders, display names and
// opening a file with its program. Kept apart from files/file.h: the shell's
// headers declare a FolderItem of their own.
#pragma once
#include <windows.h>

// Writes the folder's path into out (MAX_PATH bytes); false when the folder
// has no file-system path.
bool shell_folder_path(int which, char *out);

// The name the shell shows for an existing entry; false when it has none.
bool shell_display_name(const char *path, char *out, int size);

// Asks the shell to open the path (or a URL) with its program, window shown
// normally; false when the shell refused (nothing there, no program for it).
bool shell_open(const char *path);

// The system's folder browser; the chosen folder's path into out (MAX_PATH
// bytes). False when cancelled or the choice has no file-system path.
bool shell_browse_folder(HWND owner, const char *prompt, char *out);
