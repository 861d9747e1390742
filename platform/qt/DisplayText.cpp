#include "qt/DisplayText.h"

#include <QTextDocument>

namespace platform {

QString DisplayText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString PlainToolTip(const QString& text)
{
    return text.isEmpty() ? text : Qt::convertFromPlainText(text);
}

} // namespace platform
