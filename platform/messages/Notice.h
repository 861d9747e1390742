#pragma once

// What the user is told and asked, in plain C++: notices of problems that stop nothing (here) and
// the message boxes that the logic asks for (MessageBoxRequest.h), which qt/MessageBox.h shows.
// Code below the user interface tells and asks through these without a display, and no notice is
// lost: until a program shows notices in its own way, they go to standard error.

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
