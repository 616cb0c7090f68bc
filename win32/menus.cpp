#include "win32/menus.h"

#include <cctype>

#include "win32/text.h"

namespace plinkora {

namespace {

void AppendItems(HMENU menu, const std::vector<MenuEntry>& entries) {
    for (const MenuEntry& entry : entries) {
        const std::wstring text = Wide(entry.text);
        if (!entry.submenu.empty()) {
            HMENU submenu = CreatePopupMenu();
            AppendItems(submenu, entry.submenu);
            AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu),
                        text.c_str());
            continue;
        }
        UINT flags = MF_STRING;
        flags |= entry.mark == Mark::Checked ? MF_CHECKED : MF_UNCHECKED;
        flags |= entry.enabled ? MF_ENABLED : MF_GRAYED;
        AppendMenuW(menu, flags, UINT_PTR(entry.commandId), text.c_str());
    }
}

void CollectAccelerators(const std::vector<MenuEntry>& entries, std::vector<ACCEL>& table) {
    for (const MenuEntry& entry : entries) {
        if (entry.accelerator != 0) {
            // Virtual-key codes of letters are their capitals.
            const auto key = WORD(std::toupper(static_cast<unsigned char>(entry.accelerator)));
            table.push_back({FALT | FVIRTKEY, key, WORD(entry.commandId)});
        }
        CollectAccelerators(entry.submenu, table);
    }
}

}  // namespace

HMENU CreateMenuBar(const std::vector<MenuEntry>& entries) {
    HMENU bar = CreateMenu();
    AppendItems(bar, entries);
    return bar;
}

std::vector<ACCEL> AcceleratorEntries(const std::vector<MenuEntry>& entries) {
    std::vector<ACCEL> table;
    CollectAccelerators(entries, table);
    return table;
}

HACCEL CreateAccelerators(const std::vector<MenuEntry>& entries) {
    std::vector<ACCEL> table = AcceleratorEntries(entries);
    return CreateAcceleratorTableW(table.data(), int(table.size()));
}

bool MenuItemEnabled(HMENU menu, int commandId) {
    const UINT state = GetMenuState(menu, UINT(commandId), MF_BYCOMMAND);
    return state != UINT(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

}  // namespace plinkora
