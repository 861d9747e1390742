#pragma once

#include "files/ProfileFile.h"

#include <string>
#include <system_error>

// The dialer's settings, kept in section "Modem" of telmo.ini.
struct DialerSettings
{
    std::string name;
    std::string dialOut; // the outside-line prefix
    std::string initStr;
    int port = 0;      // the modem's COM number; 0 when no modem is configured
    int extDialer = 0; // non-zero: dial through the desktop's default dialer
};

// The settings as the file holds them now, with their defaults where a key is missing. "InitStr"
// is computed afresh whenever the dialog stores a choice and nothing dials with it, so it is not
// read.
DialerSettings ReadDialerSettings(const platform::ProfileFile& file);

// Stores "Name", "DialOut", "InitStr", "Port" and "ExtDialer", in this order, as one change of
// the file, so that a reader never sees half a choice.
[[nodiscard]] std::error_code WriteDialerSettings(platform::ProfileFile& file,
                                                  const DialerSettings& settings);
