#pragma once

// Terminal helpers of the command line: UTF-8 output on every platform, and whether
// standard input and error are terminals.
//
// Output: the Linux build writes UTF-8 bytes. The Windows build writes the same bytes, with
// LF line ends, when standard output or error is a file or a pipe (so `mirune … > out.txt`
// gives the same file on both); when it is a console, the text is shown through
// WriteConsoleW as UTF-16, which a console displays whatever its code page and font.

#include <string>
#include <string_view>

namespace mirune::cli {

// Makes the console print UTF-8 (Windows); nothing to do elsewhere.
void SetUpConsole();

void PrintOut(std::string_view utf8);
void PrintErr(std::string_view utf8);

#ifdef _WIN32
// Writes `utf8` to the console behind `handle` as UTF-16. False, without writing, when the
// handle is not a console (a file, a pipe, none).
bool WriteConsoleText(void* handle, std::string_view utf8);
#endif

// "mirune COMMAND: text" and a line end: how the command line reports a cause.
std::string CommandLine(std::string_view command, std::string_view text);

bool StdinIsTerminal();
bool StderrIsTerminal();

}  // namespace mirune::cli
