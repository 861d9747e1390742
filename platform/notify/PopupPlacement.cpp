#include "notify/PopupPlacement.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// The start of a span of the length that lies next to the point without holding it: after it
// where it fits, else before it; where neither fits, on the side with more room, moved as little
// as it takes to lie in the range (a point outside the range counts as its nearest end).
int SpanStart(int point, int length, int rangeStart, int rangeLength)
{
    const int rangeEnd = rangeStart + rangeLength;
    point = std::clamp(point, rangeStart, rangeEnd - 1);
    if (point + 1 + length <= rangeEnd)
        return point + 1;
    if (point - length >= rangeStart)
        return point - length;
    return rangeEnd - point - 1 >= point - rangeStart ? std::max(rangeStart, rangeEnd - length)
                                                      : rangeStart;
}

// A display server's coordinate in the program's: the screen's origin stays where it is.
int FromNative(int native, int origin, double scale)
{
    return origin + static_cast<int>(std::lround((native - origin) / scale));
}

} // namespace

ScreenPoint PopupTopLeft(ScreenPoint click, int width, int height, const ScreenArea& screen)
{
    return {
        SpanStart(FromNative(click.x, screen.x, screen.scale), width, screen.x, screen.width),
        SpanStart(FromNative(click.y, screen.y, screen.scale), height, screen.y, screen.height)};
}

} // namespace platform
