#include "Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace platform {

void CopyTextToClipboard(const std::string& text)
{
    QGuiApplication::clipboard()->setText(
        QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace platform
