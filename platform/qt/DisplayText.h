#pragma once

#include <QString>
#include <string_view>

namespace platform {

// The program's text as a widget shows it. Text is UTF-8 throughout: each file is read by the one
// rule of its own encoding before anything of it reaches a widget.
QString DisplayText(std::string_view text);

// A tooltip that shows the text as it is: a tooltip's own text would be taken as markup whenever
// it looks like some, which could show a file's text bold, or as a picture of a local file.
QString PlainToolTip(const QString& text);

} // namespace platform
