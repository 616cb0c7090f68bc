#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/performance.h"
#include "tests/support/capturing_midi.h"
#include "win32/menus.h"
#include "window/command_ids.h"

namespace plinkora {
namespace {

std::wstring ItemText(HMENU menu, int commandId) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, UINT(commandId), text, 128, MF_BYCOMMAND);
    return text;
}

bool Checked(HMENU menu, int commandId) {
    return (GetMenuState(menu, UINT(commandId), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

class Win32Menus : public ::testing::Test {
  protected:
    CapturingMidiOutputs outputs_{2};
    Performance performance_{outputs_};
};

TEST_F(Win32Menus, TheMenuBarHasTheTablesMenusItemsMarksAndStates) {
    const std::vector<MenuEntry> entries = MenuBarEntries(performance_);
    HMENU bar = CreateMenuBar(entries);
    EXPECT_EQ(GetMenuItemCount(bar), int(entries.size()));
    wchar_t title[64] = {};
    GetMenuStringW(bar, 3, title, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(title), L"Record(&4)");
    EXPECT_EQ(ItemText(bar, kCloseDeviceCommand), L"Clo&se\tAlt+S");
    EXPECT_TRUE(Checked(bar, kCloseDeviceCommand));
    EXPECT_FALSE(Checked(bar, kOpenDeviceCommand));
    EXPECT_TRUE(Checked(bar, kFirstInstrumentCommand));  // nested two deep
    EXPECT_TRUE(MenuItemEnabled(bar, kBeginRecordCommand));
    EXPECT_FALSE(MenuItemEnabled(bar, kSaveCommand));
    EXPECT_FALSE(MenuItemEnabled(bar, 99999));  // no such item
    DestroyMenu(bar);
}

TEST_F(Win32Menus, EveryAltLetterOfTheTableIsAnAccelerator) {
    const std::vector<ACCEL> table = AcceleratorEntries(MenuBarEntries(performance_));
    const auto has = [&table](char letter, int commandId) {
        return std::any_of(table.begin(), table.end(), [&](const ACCEL& entry) {
            return entry.key == letter && entry.cmd == commandId &&
                   entry.fVirt == (FALT | FVIRTKEY);
        });
    };
    EXPECT_TRUE(has('O', kOpenDeviceCommand));
    EXPECT_TRUE(has('S', kCloseDeviceCommand));
    EXPECT_TRUE(has('D', 1298));  // D major
    EXPECT_EQ(table.size(), 26u);
}

}  // namespace
}  // namespace plinkora
