#pragma once

#include <QString>
#include <string_view>

namespace platform {

// The file's text as a widget shows it: UTF-8, or Windows-1252 where a value is not valid UTF-8
// (phone books carried over from the original platform). Never the locale's conversion, which
// would show those names with replacement characters.
QString DisplayText(std::string_view bytes);

} // namespace platform
