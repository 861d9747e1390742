#include "DisplayText.h"

#include "TextEncoding.h"

namespace platform {

QString DisplayText(std::string_view bytes)
{
    const std::string text = AsUtf8(bytes);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace platform
