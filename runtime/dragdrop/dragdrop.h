// Drag and drop: what start-up wires in. The windows' drop target answers
// through this layer from then on, and a press on an edit field's selection
// can drag its text.
#pragma once

void dragdrop_install(); // the drop hooks and the classes' destructors
