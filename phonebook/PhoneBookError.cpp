#include "PhoneBookError.h"

#include <string>

namespace {

class PhoneBookCategory : public std::error_category
{
public:
    const char* name() const noexcept override { return "phone book"; }
    std::string message(int value) const override
    {
        switch (static_cast<PhoneBookError>(value)) {
        case PhoneBookError::Full:
            return "the phone book is full";
        case PhoneBookError::EntryGone:
            return "the entry is no longer in the phone book";
        }
        return "unknown phone book error";
    }
};

} // namespace

std::error_code make_error_code(PhoneBookError error)
{
    static const PhoneBookCategory category;
    return {static_cast<int>(error), category};
}
