#pragma once

// Terminal helpers of the command line: UTF-8 output on every platform, and whether
// standard input and error are terminals.

#include <string_view>

namespace mirune::cli {

// Makes the console print UTF-8 (Windows); nothing to do elsewhere.
void SetUpConsole();

void PrintOut(std::string_view utf8);
void PrintErr(std::string_view utf8);

bool StdinIsTerminal();
bool StderrIsTerminal();

}  // namespace mirune::cli
