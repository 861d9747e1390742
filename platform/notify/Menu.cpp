#include "notify/Menu.h"

#include <utility>

namespace platform {

Menu& Menu::AppendCommand(unsigned id, std::string text)
{
    m_items.push_back(MenuItem{MenuItem::Type::Command, id, std::move(text), {}, nullptr});
    return *this;
}

Menu& Menu::AppendSeparator()
{
    m_items.push_back(MenuItem{MenuItem::Type::Separator, 0, {}, {}, nullptr});
    return *this;
}

Menu& Menu::AppendPopup(std::string text, Menu popup)
{
    m_items.push_back(MenuItem{
        MenuItem::Type::Popup, 0, std::move(text), {}, std::make_unique<Menu>(std::move(popup))});
    return *this;
}

Menu& Menu::AppendCopyOf(const Menu& other)
{
    for (const MenuItem& item : other.m_items) {
        m_items.push_back(MenuItem{item.type, item.id, item.text, item.data, nullptr});
        if (item.popup) {
            m_items.back().popup = std::make_unique<Menu>();
            m_items.back().popup->AppendCopyOf(*item.popup);
        }
    }
    return *this;
}

const MenuItem* Menu::ItemAt(int position) const
{
    if (position < 0 || position >= GetMenuItemCount())
        return nullptr;
    return &m_items[static_cast<std::size_t>(position)];
}

Menu* Menu::GetSubMenu(int position)
{
    return const_cast<Menu*>(std::as_const(*this).GetSubMenu(position));
}

const Menu* Menu::GetSubMenu(int position) const
{
    const MenuItem* item = ItemAt(position);
    return item ? item->popup.get() : nullptr;
}

bool Menu::ModifyMenuByPosition(int position, std::string text)
{
    if (!ItemAt(position))
        return false;
    m_items[static_cast<std::size_t>(position)].text = std::move(text);
    return true;
}

bool Menu::ModifyMenuByCommand(unsigned id, std::string text)
{
    MenuItem* item = FindCommand(id);
    if (!item)
        return false;
    item->text = std::move(text);
    return true;
}

bool Menu::RemoveMenu(int position)
{
    if (!ItemAt(position))
        return false;
    m_items.erase(m_items.begin() + position);
    return true;
}

std::optional<std::string> Menu::GetMenuStringByCommand(unsigned id) const
{
    const MenuItem* item = FindCommand(id);
    if (!item)
        return std::nullopt;
    return item->text;
}

bool Menu::SetMenuItemData(unsigned id, std::any data)
{
    MenuItem* item = FindCommand(id);
    if (!item)
        return false;
    item->data = std::move(data);
    return true;
}

const std::any* Menu::GetMenuItemData(unsigned id) const
{
    const MenuItem* item = FindCommand(id);
    if (!item || !item->data.has_value())
        return nullptr;
    return &item->data;
}

const MenuItem* Menu::FindCommand(unsigned id) const
{
    for (const MenuItem& item : m_items) {
        if (item.type == MenuItem::Type::Command && item.id == id)
            return &item;
        if (item.popup) {
            if (const MenuItem* found = item.popup->FindCommand(id))
                return found;
        }
    }
    return nullptr;
}

MenuItem* Menu::FindCommand(unsigned id)
{
    return const_cast<MenuItem*>(std::as_const(*this).FindCommand(id));
}

} // namespace platform
