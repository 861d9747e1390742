#pragma once

#include <functional>
#include <string>

namespace platform {

// Problems the user should hear of that stop nothing, such as a file Telmo leaves alone. They
// go to standard error unless the program tells them in its own way (the tray program shows a
// message box).
using NoticeHandler = std::function<void(const std::string& text)>;

void TellUser(const std::string& text);

// Sets how notices are told and returns the way before; an empty handler means standard error.
NoticeHandler SetNoticeHandler(NoticeHandler handler);

} // namespace platform
