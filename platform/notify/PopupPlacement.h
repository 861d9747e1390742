#pragma once

namespace platform {

struct ScreenPoint
{
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// A screen in the program's coordinates, and how many of the display server's pixels make one of
// them.
struct ScreenArea
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    double scale = 1;
};

// The top-left corner of a popup of the size for a click at a point the display server gave
// (X root coordinates, also XWayland's): one of its corners next to the clicked pixel but never on
// it, so that a second click there lands beside the popup and closes it, as any click beside an
// open menu does; the popup reaches away from the screen's nearer edges, and is moved onto the
// screen only where it does not fit beside the click at all.
ScreenPoint PopupTopLeft(ScreenPoint click, int width, int height, const ScreenArea& screen);

} // namespace platform
