#pragma once

#include <string>

namespace platform {

enum class MessageButtons
{
    Ok,
    YesNo
};
enum class MessageIcon
{
    None,
    Exclamation,
    Information
};

// The button that closed a message box, numbered as the original platform numbers them.
enum class MessageResult
{
    Ok = 1,
    Yes = 6,
    No = 7
};

struct MessageBoxRequest
{
    std::string text;
    std::string caption;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
};

} // namespace platform
