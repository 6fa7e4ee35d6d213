#pragma once

// Terminal helpers of the command line: UTF-8 output on every platform, and whether
// standard input and error are terminals.

#include <string>
#include <string_view>

namespace mirune::cli {

// Makes the console print UTF-8 (Windows); nothing to do elsewhere.
void SetUpConsole();

void PrintOut(std::string_view utf8);
void PrintErr(std::string_view utf8);

// "mirune COMMAND: text" and a line end: how the command line reports a cause.
std::string CommandLine(std::string_view command, std::string_view text);

bool StdinIsTerminal();
bool StderrIsTerminal();

}  // namespace mirune::cli
