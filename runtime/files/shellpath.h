// The file-system path of one of the shell's special folders. Kept apart from
// files/file.h: the shell's headers declare a FolderItem of their own.
#pragma once

// Writes the folder's path into out (MAX_PATH bytes); false when the folder
// has no file-system path.
bool shell_folder_path(int which, char *out);
