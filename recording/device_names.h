#pragma once

#include <string_view>

namespace plinkora {

// Whether Windows takes the last name of this path (split at '/' or '\\') for one of its
// devices: CON, PRN, AUX, NUL, COM0-9, LPT0-9 (superscript 1-3 too), CONIN$ and CONOUT$, in any
// case, with any extension, with spaces before the extension ("C:\songs\Nul .plk" is the null
// device). A file written there goes to a printer, a serial port or nowhere.
bool IsWindowsDeviceName(std::string_view path);

}  // namespace plinkora
