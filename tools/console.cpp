#include "tools/console.h"

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include "recording/utf8_path.h"
#endif

namespace plinkora {

#ifdef _WIN32

std::vector<std::string> CommandLineArguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 1; wide != nullptr && i < count; ++i) {
        arguments.push_back(Utf8FromWide(wide[i]));
    }
    ::LocalFree(wide);
    return arguments;
}

namespace {

void Print(std::FILE* stream, DWORD handleId, const std::string& text) {
    const HANDLE handle = ::GetStdHandle(handleId);
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        const std::wstring wide = WideFromUtf8(text);
        DWORD written = 0;
        ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    // Binary, so that a line ends in "\n" here as on Linux, not in "\r\n".
    ::_setmode(::_fileno(stream), _O_BINARY);
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

}  // namespace

void PrintOut(const std::string& text) {
    Print(stdout, STD_OUTPUT_HANDLE, text);
}

void PrintError(const std::string& text) {
    Print(stderr, STD_ERROR_HANDLE, text);
}

#else

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void PrintOut(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void PrintError(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
}

#endif

}  // namespace plinkora
