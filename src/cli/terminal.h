#pragma once

// Terminal helpers of the command line: UTF-8 output on every platform, and whether
// standard input and error are terminals.
//
// The console's code pages are left as the user has them: they belong to the console, which
// the shell that started this program goes on using.
//
// Output: the Linux build writes UTF-8 bytes. The Windows build writes the same bytes, with
// LF line ends, when standard output or error is a file or a pipe (so `mirune … > out.txt`
// gives the same file on both); when it is a console, the text is shown through
// WriteConsoleW as UTF-16, which a console displays whatever its code page and font.

#include <string>
#include <string_view>

namespace mirune::cli {

// Windows: standard output and error in binary mode, so lines end in LF as on Linux. Nothing
// to do elsewhere.
void SetUpConsole();

void PrintOut(std::string_view utf8);
void PrintErr(std::string_view utf8);

// Reads one line of standard input, without its line end, as UTF-8 (a Windows console is read
// as UTF-16, whatever its code page). False at the end of the input.
bool ReadInputLine(std::string* line);

#ifdef _WIN32
// Writes `utf8` to the console behind `handle` as UTF-16. False, without writing, when the
// handle is not a console (a file, a pipe, none).
bool WriteConsoleText(void* handle, std::string_view utf8);

enum class ConsoleRead { kLine, kEnd, kNotConsole };
// Reads one line, without its line end, from the console behind `handle` as UTF-8. kEnd at
// the end of the input (Ctrl+Z at the start of a line); kNotConsole, reading nothing, when
// the handle is not a console.
ConsoleRead ReadConsoleLine(void* handle, std::string* line);
#endif

// "mirune COMMAND: text" and a line end: how the command line reports a cause.
std::string CommandLine(std::string_view command, std::string_view text);

bool StdinIsTerminal();
bool StderrIsTerminal();

}  // namespace mirune::cli
