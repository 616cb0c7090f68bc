#pragma once

#include <optional>
#include <string>

namespace plinkora {

// --help or --version as the whole command line: the text is printed to stdout and the exit
// status returned. Anything else names a document.
std::optional<int> AnswerInformationOption(int argc, char* argv[]);

// The arguments after the program's name are one document path, so that a path with spaces
// opens without quotation marks.
std::string CommandLineDocument(int argc, char* argv[]);

// While one lives, a missing display, or one that cannot be opened, ends the process with one
// line on stderr ("plinkora: no graphical display ...") and status 1 instead of Qt's abort and
// core dump. Qt's other messages meanwhile are held and printed when it goes. Made around the
// construction of the QApplication.
class DisplayOpeningGuard {
  public:
    DisplayOpeningGuard();
    ~DisplayOpeningGuard();
    DisplayOpeningGuard(const DisplayOpeningGuard&) = delete;
    DisplayOpeningGuard& operator=(const DisplayOpeningGuard&) = delete;
};

}  // namespace plinkora
