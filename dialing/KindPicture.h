#pragma once

#include <string_view>

// The picture of a kind of number, chosen by its label as the card shows it ("Fax:"): the label
// up to its first colon, compared exactly. 0 when the label names no known kind.
int KindPictureNumber(std::string_view kindLabel);
