#include "recording/device_names.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace plinkora {

namespace {

bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) ==
               std::toupper(static_cast<unsigned char>(y));
    });
}

// COM and LPT take a digit, or the superscript 1, 2 or 3 (in UTF-8: C2 B9, C2 B2, C2 B3).
bool IsPortNumber(std::string_view rest) {
    if (rest.size() == 1) {
        return rest[0] >= '0' && rest[0] <= '9';
    }
    return rest == "\xC2\xB9" || rest == "\xC2\xB2" || rest == "\xC2\xB3";
}

}  // namespace

bool IsWindowsDeviceName(std::string_view path) {
    std::string_view name = path.substr(path.find_last_of("/\\") + 1);
    // "nul.plk", "nul:" and "nul .plk" all open the device.
    name = name.substr(0, name.find_first_of(".:"));
    name = name.substr(0, name.find_last_not_of(' ') + 1);
    constexpr std::array<std::string_view, 6> kDevices{"CON", "PRN",    "AUX",
                                                       "NUL", "CONIN$", "CONOUT$"};
    for (std::string_view device : kDevices) {
        if (SameLetters(name, device)) {
            return true;
        }
    }
    return name.size() >= 4 &&
           (SameLetters(name.substr(0, 3), "COM") || SameLetters(name.substr(0, 3), "LPT")) &&
           IsPortNumber(name.substr(3));
}

}  // namespace plinkora
