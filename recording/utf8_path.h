#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// File names are UTF-8 everywhere inside the program; only the calls into the system see them
// in its own form (wide on Windows, the bytes themselves elsewhere).
namespace plinkora {

// A name that is not valid UTF-8 gives an empty path on Windows, which names no file.
std::filesystem::path PathFromUtf8(std::string_view name);
std::string Utf8FromPath(const std::filesystem::path& path);

#ifdef _WIN32
// Empty when the text is not valid UTF-8 (or UTF-16).
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
#endif

}  // namespace plinkora
