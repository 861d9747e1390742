#include "TelephonyRequest.h"

#include "process/Process.h"

#include <filesystem>
#include <optional>

namespace {

enum class LibraryState
{
    NotTried,
    Loaded,
    Failed
};

enum class FunctionState
{
    NotTried,
    Known,
    Unavailable
};

// Kept for the life of the process, so a missing opener is looked for only once.
struct TelephonyBinding
{
    LibraryState library = LibraryState::NotTried;
    FunctionState function = FunctionState::NotTried;
    std::filesystem::path opener;
};

TelephonyBinding& Binding()
{
    static TelephonyBinding binding;
    return binding;
}

// Binds the request on first use; the status of a failed binding, or nothing when bound.
std::optional<std::int32_t> Bind(TelephonyBinding& binding)
{
    if (binding.library == LibraryState::NotTried) {
        if (std::optional<std::filesystem::path> opener = platform::FindOnPath("xdg-open")) {
            binding.opener = *opener;
            binding.library = LibraryState::Loaded;
        } else {
            binding.library = LibraryState::Failed;
        }
    }
    if (binding.library == LibraryState::Failed) {
        binding.function = FunctionState::Unavailable;
        return LINEERR_OPERATIONUNAVAIL;
    }
    // The opener's one verb is the function: once it is found there is nothing more to look up.
    binding.function = FunctionState::Known;
    return std::nullopt;
}

bool IsTelUriCharacter(unsigned char c)
{
    bool alphanumeric = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    // Digits, letters, the global-number "+", "*", and the visual separators "-", ".", "(", ")".
    return alphanumeric || c == '+' || c == '*' || c == '-' || c == '.' || c == '(' || c == ')';
}

} // namespace

std::string TelUri(const std::string& number)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "tel:";
    for (char c : number) {
        auto byte = static_cast<unsigned char>(c);
        if (IsTelUriCharacter(byte)) {
            uri.push_back(c);
        } else {
            uri.push_back('%');
            uri.push_back(kHex[byte >> 4]);
            uri.push_back(kHex[byte & 0x0F]);
        }
    }
    return uri;
}

std::int32_t RequestMakeCall(const std::string& destination, const std::string& /*application*/,
                             const std::string& /*calledParty*/, const std::string& /*comment*/)
{
    TelephonyBinding& binding = Binding();
    if (binding.function == FunctionState::NotTried) {
        if (std::optional<std::int32_t> failure = Bind(binding))
            return *failure;
    }
    if (binding.function == FunctionState::Unavailable)
        return TAPIERR_REQUESTFAILED;

    if (destination.empty())
        return TAPIERR_INVALDESTADDRESS;
    if (!platform::SpawnDetached(binding.opener, {TelUri(destination)}))
        return TAPIERR_NOREQUESTRECIPIENT;
    return kTelephonyOk;
}

void ResetTelephonyBinding()
{
    Binding() = TelephonyBinding{};
}
