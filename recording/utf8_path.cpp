#include "recording/utf8_path.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace plinkora {

#ifdef _WIN32

// The conversions of the standard library here take narrow names in the ANSI code page, which
// would turn "é" into two wrong letters: the system's own UTF-8 conversion is used instead.
std::wstring WideFromUtf8(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (length <= 0 || ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size,
                                             wide.data(), length) != length) {
        return {};
    }
    return wide;
}

std::string Utf8FromWide(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), size,
                                             nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    if (length <= 0 || ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), size,
                                             narrow.data(), length, nullptr, nullptr) != length) {
        return {};
    }
    return narrow;
}

std::filesystem::path PathFromUtf8(std::string_view name) {
    return std::filesystem::path(WideFromUtf8(name));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    return Utf8FromWide(path.native());
}

#else

std::filesystem::path PathFromUtf8(std::string_view name) {
    return std::filesystem::path(std::string(name));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    return path.native();
}

#endif

}  // namespace plinkora
