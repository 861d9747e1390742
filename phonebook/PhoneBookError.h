#pragma once

#include <system_error>

// Changes that the phone book refuses because another program changed the file since the user
// decided on them: reported like the file system's errors, so a caller handles every reason why
// nothing was written in one place.
enum class PhoneBookError
{
    Full = 1,  // adding would make more live entries than the capacity
    EntryGone, // the entry the user opened is no longer in its section
};

std::error_code make_error_code(PhoneBookError error);

template <> struct std::is_error_code_enum<PhoneBookError> : std::true_type
{};
