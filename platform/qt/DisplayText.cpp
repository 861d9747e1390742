#include "DisplayText.h"

namespace platform {

QString DisplayText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace platform
