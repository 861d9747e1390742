#pragma once

#include <cstdint>
#include <string>

// The desktop's default dialer stands in for the platform's telephony request service: the
// "library" is the desktop's URL opener (xdg-open on PATH) and a call hands it a tel: URI,
// which the desktop passes to its tel: handler (KDE Connect, GNOME Calls, Linphone, ...).

// Status codes of the telephony request, as the original service numbers them.
inline constexpr std::int32_t kTelephonyOk = 0;
inline constexpr std::int32_t TAPIERR_NOREQUESTRECIPIENT = -2;
inline constexpr std::int32_t TAPIERR_INVALDESTADDRESS = -4;
inline constexpr std::int32_t TAPIERR_REQUESTFAILED = -16;
inline constexpr std::int32_t LINEERR_OPERATIONUNAVAIL = static_cast<std::int32_t>(0x80000049u);

// Asks the desktop to place a call to the destination. The application name, called party and
// comment are accepted as the service takes them; the tel: URI carries only the number.
// The opener is looked for once per process: when it is missing the first request answers
// LINEERR_OPERATIONUNAVAIL and every later one TAPIERR_REQUESTFAILED without looking again.
// A request answers 0 when the handler was started, TAPIERR_INVALDESTADDRESS for an empty
// destination and TAPIERR_NOREQUESTRECIPIENT when the opener could not be started.
std::int32_t RequestMakeCall(const std::string& destination, const std::string& application,
                             const std::string& calledParty, const std::string& comment);

// The tel: URI of a number (RFC 3966): the number's own characters as they are, every other
// byte percent-encoded ("#" as %23, a blank as %20).
std::string TelUri(const std::string& number);

// Forgets the binding, as a new process would start; for tests only.
void ResetTelephonyBinding();
