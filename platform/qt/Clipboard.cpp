#include "qt/Clipboard.h"

#include "qt/DisplayText.h"

#include <QClipboard>
#include <QGuiApplication>

namespace platform {

void CopyTextToClipboard(const std::string& text)
{
    QGuiApplication::clipboard()->setText(DisplayText(text));
}

} // namespace platform
