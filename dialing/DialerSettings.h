#pragma once

#include "ProfileFile.h"

#include <string>
#include <system_error>

// The dialer's settings, kept in section "Modem" of telmo.ini.
struct DialerSettings
{
    std::string name;
    std::string dialOut;
    std::string initStr;
    int port = 0;
    int extDialer = 0;
};

// What the settings dialog starts from: "Name", "DialOut" and "ExtDialer". "InitStr" and "Port"
// are computed afresh whenever the dialog stores a choice, so they are not read.
DialerSettings ReadDialerSettings(const platform::ProfileFile& file);

// Stores "Name", "DialOut", "InitStr", "Port" and "ExtDialer", in this order, as one change of
// the file, so that a reader never sees half a choice.
[[nodiscard]] std::error_code WriteDialerSettings(platform::ProfileFile& file,
                                                  const DialerSettings& settings);
