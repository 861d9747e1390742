#pragma once

#include <string>
#include <string_view>

// The one buffer of modem commands that dials a number: "atm1" (speaker on while dialling),
// then the tone-dial command with the outside-line prefix and a comma (a pause for the outside
// line) when there is one, the number, and ";" (back to command mode once dialled).
// Control characters (below 0x20, CR and LF among them) and ";" are left out of the prefix and
// the number: either would end the dial command early and pass the rest to the modem as commands
// of its own ("5551234;&W" would store the modem's settings). Every other byte goes to the modem
// unchanged.
std::string BuildDialCommand(std::string_view dialOut, std::string_view number);

// What the modem dials: the prefix and a comma (a pause for the outside line) when there is a
// prefix, then the number, both cleaned as above.
std::string BuildDialString(std::string_view dialOut, std::string_view number);
