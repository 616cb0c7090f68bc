#include "view/key_legends.h"

#include <string>

namespace plinkora {

namespace {

struct UsRow {
    int firstScanCode;
    const char* base;
    const char* shifted;
};
constexpr std::array<UsRow, 4> kUsRows{{
    {0x02, "1234567890-=", "!@#$%^&*()_+"},
    {0x10, "qwertyuiop[]", "QWERTYUIOP{}"},
    {0x1E, "asdfghjkl;'`", "ASDFGHJKL:\"~"},
    {0x2B, "\\zxcvbnm,./", "|ZXCVBNM<>?"},
}};

const KeyLegends& Us() {
    static const KeyLegends us;
    return us;
}

}  // namespace

KeyLegends::KeyLegends() {
    for (const UsRow& row : kUsRows) {
        for (int i = 0; row.base[i] != '\0'; ++i) {
            Set(row.firstScanCode + i,
                {QString(QLatin1Char(row.base[i])), QString(QLatin1Char(row.shifted[i]))});
        }
    }
}

bool KeyLegends::Carries(int scanCode) {
    for (const UsRow& row : kUsRows) {
        const int column = scanCode - row.firstScanCode;
        if (column >= 0 && column < static_cast<int>(std::char_traits<char>::length(row.base))) {
            return true;
        }
    }
    return false;
}

void KeyLegends::Set(int scanCode, KeyPrint print) {
    if (scanCode >= 0 && scanCode < kKeyTableSize) {
        prints_[scanCode] = std::move(print);
    }
}

KeyPrint KeyLegends::Print(int scanCode) const {
    return scanCode >= 0 && scanCode < kKeyTableSize ? prints_[scanCode] : KeyPrint{};
}

QString KeyLegends::CapLegend(int scanCode) const {
    const KeyPrint print = Print(scanCode);
    if (print.base.isEmpty()) {
        return print.shifted;
    }
    // A letter key is printed with its capital, as it types with Shift; "ß" and the "é" of a
    // French number row keep their own form.
    const bool letter = print.base != print.shifted && print.base.toUpper() == print.shifted;
    return letter ? print.shifted : print.base;
}

bool KeyLegends::LikeUs(int scanCode) const {
    return Print(scanCode) == Us().Print(scanCode);
}

bool KeyLegends::LikeUs() const {
    return *this == Us();
}

}  // namespace plinkora
