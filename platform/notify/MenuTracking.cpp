#include "notify/MenuTracking.h"

#include "notify/X11Connection.h"
#include "qt/DisplayText.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMetaObject>
#include <QScreen>
#include <QTimer>

namespace platform {

namespace {

// How long a menu waits for the mouse buttons to be released, at most: a second.
constexpr int kReleaseLooks = 100;
constexpr int kReleaseLookIntervalMs = 10;
// How long after the release of a click that closed a menu the notification area's report of
// that same click may still come in (areas report a click on its release, over D-Bus).
constexpr int kClosingClickReportMs = 300;

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

// The QMenu showing a menu model; '&' shows as itself, a tab starts the right-hand column.
std::unique_ptr<QMenu> CreateQMenu(const Menu& menu)
{
    auto qmenu = std::make_unique<QMenu>();
    FillQMenu(*qmenu, menu);
    return qmenu;
}

// Every command item of the QMenu and its submenus, when chosen, hands its id to onCommand from
// the event loop, once the popup has closed.
void DeliverCommandsLater(QMenu& menu, const MenuTracker::CommandHandler& onCommand)
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

// Where the menu goes for a point the display server gave.
QPoint PopupPosition(const QMenu& menu, ScreenPoint at)
{
    const QPoint point(at.x, at.y);
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    // The area Qt itself keeps popups in, so it moves none of them again.
    const QRect area = screen->availableGeometry();
    const QSize size = menu.sizeHint();
    const ScreenPoint topLeft =
        PopupTopLeft(at, size.width(), size.height(),
                     {area.x(), area.y(), area.width(), area.height(), screen->devicePixelRatio()});
    return {topLeft.x, topLeft.y};
}

} // namespace

bool QMenuTracker::TrackPopupMenu(const Menu& popup, std::optional<ScreenPoint> at,
                                  CommandHandler onCommand)
{
    if (OpenMenu() || m_waiting || m_closingClick.Lasts())
        return false;
    QMenu* menu = CreateQMenu(popup).release();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    DeliverCommandsLater(*menu, onCommand);
    m_waiting = menu;
    PopupOnceReleased(at ? PopupPosition(*menu, *at) : QCursor::pos(), kReleaseLooks);
    return true;
}

void QMenuTracker::PopupOnceReleased(QPoint position, int looksLeft)
{
    if (!m_waiting)
        return;
    if (looksLeft > 0 && MouseButtonHeld()) {
        QTimer::singleShot(kReleaseLookIntervalMs, m_waiting, [this, position, looksLeft] {
            PopupOnceReleased(position, looksLeft - 1);
        });
        return;
    }
    m_open = m_waiting;
    m_waiting.clear();
    QObject::connect(m_open, &QMenu::aboutToHide, [this] {
        // A click beside the menu closes it on the press, and the notification area, when the
        // click was on the icon, reports it once the button is released: that is no new click.
        if (QGuiApplication::mouseButtons() != Qt::NoButton)
            m_closingClick.Start();
    });
    m_open->popup(position);
}

void QMenuTracker::EndMenu()
{
    for (QMenu* menu : {m_open.data(), m_waiting.data()}) {
        if (menu)
            menu->close();
    }
}

void QMenuTracker::ClosingClick::Start()
{
    m_held = true;
    WaitForRelease();
}

void QMenuTracker::ClosingClick::WaitForRelease()
{
    if (MouseButtonHeld()) {
        QTimer::singleShot(kReleaseLookIntervalMs, &m_looks, [this] { WaitForRelease(); });
        return;
    }
    m_held = false;
    m_sinceRelease.start();
}

bool QMenuTracker::ClosingClick::Lasts() const
{
    return m_held || (m_sinceRelease.isValid() && m_sinceRelease.elapsed() < kClosingClickReportMs);
}

QMenu* QMenuTracker::OpenMenu() const
{
    return m_open && m_open->isVisible() ? m_open.data() : nullptr;
}

} // namespace platform
