// The font name mapping shared by panes and Graphics objects: the classic
// names of other systems become their usual equivalents here.
#pragma once

// The face the platform is asked for; other names pass unchanged.
const char *font_face(const char *name);
