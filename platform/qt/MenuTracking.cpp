#include "MenuTracking.h"

#include "DisplayText.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <QMetaObject>

namespace platform {

namespace {

QString MenuText(const std::string& text)
{
    return DisplayText(text).replace('&', "&&");
}

void FillQMenu(QMenu& target, const Menu& menu)
{
    for (int position = 0; position < menu.GetMenuItemCount(); ++position) {
        const MenuItem& item = *menu.ItemAt(position);
        switch (item.type) {
        case MenuItem::Type::Command:
            target.addAction(MenuText(item.text))->setData(item.id);
            break;
        case MenuItem::Type::Separator:
            target.addSeparator();
            break;
        case MenuItem::Type::Popup:
            FillQMenu(*target.addMenu(MenuText(item.text)), *item.popup);
            break;
        }
    }
}

} // namespace

std::unique_ptr<QMenu> CreateQMenu(const Menu& menu)
{
    auto qmenu = std::make_unique<QMenu>();
    FillQMenu(*qmenu, menu);
    return qmenu;
}

void DeliverCommandsLater(QMenu& menu, MenuTracker::CommandHandler onCommand)
{
    for (QAction* action : menu.actions()) {
        if (action->menu()) {
            DeliverCommandsLater(*action->menu(), onCommand);
        } else if (!action->isSeparator()) {
            const unsigned id = action->data().toUInt();
            QObject::connect(action, &QAction::triggered, &menu, [onCommand, id] {
                QMetaObject::invokeMethod(
                    qApp, [onCommand, id] { onCommand(id); }, Qt::QueuedConnection);
            });
        }
    }
}

bool QMenuTracker::TrackPopupMenu(const Menu& popup, CommandHandler onCommand)
{
    if (OpenMenu())
        return false;
    QMenu* menu = CreateQMenu(popup).release();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    DeliverCommandsLater(*menu, std::move(onCommand));
    m_open = menu;
    menu->popup(QCursor::pos());
    return true;
}

QMenu* QMenuTracker::OpenMenu() const
{
    return m_open && m_open->isVisible() ? m_open.data() : nullptr;
}

} // namespace platform
