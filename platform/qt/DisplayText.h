#pragma once

#include <QString>
#include <string_view>

namespace platform {

// The program's text as a widget shows it. Text is UTF-8 throughout: each file is read by the one
// rule of its own encoding before anything of it reaches a widget.
QString DisplayText(std::string_view text);

} // namespace platform
