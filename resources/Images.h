#pragma once

#include "ImageNumbers.h"

#include <QIcon>
#include <QPixmap>
#include <QSize>

// The program's pictures are vector drawings compiled into the program as ":/images/<number>.svg".
// Ask for them here rather than by path: these functions make sure the pictures are registered.
namespace telmo {

// Every size is drawn afresh from the vector source, so the icon stays sharp at any size and on
// any pixel density. A null icon for a number that has no picture.
QIcon ImageIcon(int number);

// The picture drawn at `size` logical pixels for a screen of the given density.
// A null pixmap for a number that has no picture.
QPixmap ImagePixmap(int number, QSize size, qreal devicePixelRatio);

// The same for the densest screen of the application, for widgets that may move between screens.
QPixmap ImagePixmap(int number, QSize size);

} // namespace telmo
