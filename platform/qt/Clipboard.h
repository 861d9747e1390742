#pragma once

#include <string>

namespace platform {

// Puts the program's 8-bit text on the clipboard as plain text, replacing what it held. The
// clipboard gives no sign of failure, and a copy the user asked for needs no message if it fails.
void CopyTextToClipboard(const std::string& text);

} // namespace platform
