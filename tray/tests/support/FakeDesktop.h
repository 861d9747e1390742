#pragma once

#include "MenuTracking.h"
#include "NotifyIcon.h"

#include <QApplication>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// A notification area that records what the program asks of it and lets tests click icons.
class FakeNotifyIconService : public platform::NotifyIconService
{
public:
    bool Add(const platform::NotifyIconData& icon) override
    {
        calls.push_back("add " + std::to_string(icon.id) + " " + icon.tip);
        lastAdded = icon;
        if (!acceptAdds)
            return false;
        ++shownIcons;
        return true;
    }
    bool Delete(unsigned id) override
    {
        if (onDelete)
            onDelete();
        calls.push_back("delete " + std::to_string(id));
        if (shownIcons == 0)
            return false;
        --shownIcons;
        return true;
    }
    void SetCallback(Callback callback) override { m_callback = std::move(callback); }
    bool IsAreaAvailable() const override { return areaAvailable; }

    bool HasCallback() const { return static_cast<bool>(m_callback); }
    void Click(unsigned id, unsigned mouseMessage)
    {
        if (m_callback)
            m_callback(id, mouseMessage);
    }

    std::vector<std::string> calls;
    platform::NotifyIconData lastAdded;
    int shownIcons = 0;
    bool acceptAdds = true;
    bool areaAvailable = true;
    std::function<void()> onDelete;

private:
    Callback m_callback;
};

// Records the popups the program shows and lets tests pick an item of the last one.
class FakeMenuTracker : public platform::MenuTracker
{
public:
    struct Shown
    {
        std::vector<std::string> texts; // the popup's items, separators as "-"
        CommandHandler onCommand;
    };

    bool TrackPopupMenu(const platform::Menu& popup, CommandHandler onCommand) override
    {
        Shown shown{{}, std::move(onCommand)};
        for (int position = 0; position < popup.GetMenuItemCount(); ++position) {
            const platform::MenuItem& item = *popup.ItemAt(position);
            shown.texts.push_back(item.type == platform::MenuItem::Type::Separator ? "-"
                                                                                   : item.text);
        }
        this->shown.push_back(std::move(shown));
        return true;
    }

    // Picks the item with this id in the last popup shown.
    void Choose(unsigned id) { shown.back().onCommand(id); }

    std::vector<Shown> shown;
};

// The one QApplication of a test program; widgets need it before they are made. It is never
// destroyed: Qt's input devices, made on first use by QTest, must not outlive it at exit.
inline QApplication& TestApplication()
{
    static int argc = 1;
    static char name[] = "telmo";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

} // namespace testsupport
