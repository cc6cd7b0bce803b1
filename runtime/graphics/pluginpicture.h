// The picture helpers plug-ins call (karuplugin.h describes them to plug-ins).
#pragma once
#include "graphics/picture.h"
#include "karuplugin.h"

extern "C" {
Object *KARUBuildPictureFromDIB(HGLOBAL dib);
Object *KARUBuildPictureFromGWorld(void *world);
Object *KARUBuildPictureFromPictureDescription(const KARUPictureDescription *d);
int32_t lockPictureDescription(PictureObject *picture, KARUPictureDescription *d);
void unlockPictureDescription(PictureObject *picture);
void KARUPictureClearCache(PictureObject *picture);
void drawPicturePrimitive(PictureObject *picture, HDC dc, int32_t x, int32_t y, int32_t width,
                          int32_t height);
Object *pluginPictureGraphicsGetter(PictureObject *picture);
}
