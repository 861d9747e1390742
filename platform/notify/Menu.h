#pragma once

#include <any>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class Menu;

struct MenuItem
{
    enum class Type
    {
        Command,
        Popup,
        Separator
    };
    Type type = Type::Command;
    unsigned id = 0; // command id; 0 for popups and separators
    std::string text;
    std::any data; // whatever the menu's owner carries with the item
    std::unique_ptr<Menu> popup;
};

// A menu as the original platform's menu functions see it: items with command ids, texts,
// separators and popups, addressed by position or by command (searched depth first, popups
// included). Texts are kept whole; nothing is cut.
class Menu
{
public:
    Menu() = default;
    Menu(Menu&&) noexcept = default;
    Menu& operator=(Menu&&) noexcept = default;
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    Menu& AppendCommand(unsigned id, std::string text);
    Menu& AppendSeparator();
    Menu& AppendPopup(std::string text, Menu popup);
    // Appends a copy of every item of the other menu, popups with their contents.
    Menu& AppendCopyOf(const Menu& other);

    int GetMenuItemCount() const { return static_cast<int>(m_items.size()); }
    const MenuItem* ItemAt(int position) const;
    // The popup at the position; nullptr when there is none or the item is no popup.
    Menu* GetSubMenu(int position);
    const Menu* GetSubMenu(int position) const;

    // Retitles the item at the position; a popup keeps its submenu.
    bool ModifyMenuByPosition(int position, std::string text);
    // Replaces the text of the command item; its id stays.
    bool ModifyMenuByCommand(unsigned id, std::string text);
    // Takes the item at the position out; later items move up.
    bool RemoveMenu(int position);
    std::optional<std::string> GetMenuStringByCommand(unsigned id) const;

    bool SetMenuItemData(unsigned id, std::any data);
    // The data carried with the command item; nullptr when there is no such item or no data.
    const std::any* GetMenuItemData(unsigned id) const;

    // Destroys every item: the menu is empty again, as before it was loaded.
    void DestroyMenu() { m_items.clear(); }

private:
    const MenuItem* FindCommand(unsigned id) const;
    MenuItem* FindCommand(unsigned id);

    std::vector<MenuItem> m_items;
};

} // namespace platform
