#include "KindPicture.h"

#include "ImageNumbers.h"

#include <array>
#include <utility>

int KindPictureNumber(std::string_view kindLabel)
{
    static constexpr std::array<std::pair<std::string_view, int>, 5> kPictures{{
        {"Home", telmo::image::kHome},
        {"Work", telmo::image::kWork},
        {"Cellphone", telmo::image::kCellphone},
        {"Fax", telmo::image::kFax},
        {"Beeper", telmo::image::kBeeper},
    }};
    const std::string_view kind = kindLabel.substr(0, kindLabel.find(':'));
    for (const auto& [label, picture] : kPictures) {
        if (label == kind)
            return picture;
    }
    return 0;
}
