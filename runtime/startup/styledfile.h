// Styled text between a folder item's file and an edit field.
#pragma once
#include "ui/editfield.h"

extern "C" {
void FolderItemOpenStyledEditField(Object *item, EditFieldObject *field);
void FolderItemSaveStyledEditField(Object *item, EditFieldObject *field);
}
