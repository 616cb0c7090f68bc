#pragma once

#include <string>
#include <vector>

namespace plinkora {

// The arguments after the program's name, in UTF-8 on every system: Windows hands main() its
// arguments in the ANSI code page, which cannot hold every file name.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// UTF-8 text for standard output and standard error. A file or a pipe gets the same bytes on
// every system, line ends included; a Windows console window gets the text in its own wide form.
void PrintOut(const std::string& text);
void PrintError(const std::string& text);

}  // namespace plinkora
