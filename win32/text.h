#pragma once

#include <string>
#include <string_view>

namespace plinkora {

// The program keeps its texts and paths in UTF-8; Windows takes them in UTF-16.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

}  // namespace plinkora
