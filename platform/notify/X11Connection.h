#pragma once

#include <xcb/xcb.h>

namespace platform {

// The program's connection to the X server; nullptr where it runs on another platform.
xcb_connection_t* X11Connection();

// Whether a mouse button is held down right now, whichever program has the pointer; false off X11.
bool MouseButtonHeld();

} // namespace platform
