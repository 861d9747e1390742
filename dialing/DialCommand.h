#pragma once

#include <string>
#include <string_view>

// The one buffer of modem commands that dials a number: "atm1" (speaker on while dialling),
// then the tone-dial command with the outside-line prefix and a comma (a pause for the outside
// line) when there is one, the number, and ";" (back to command mode once dialled).
// Control characters (below 0x20, CR and LF among them) are left out of the prefix and the
// number: they would end the dial command early and pass the rest to the modem as commands of
// its own. Every other byte goes to the modem unchanged.
std::string BuildDialCommand(std::string_view dialOut, std::string_view number);
