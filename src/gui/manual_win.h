#pragma once

// OpenManual: the PDF manual "使用説明書Win10対応.pdf" of the program folder opened by the
// shell (verb "open", maximised). When the shell cannot open it (a result of 32 or less: the
// file missing, no program for PDF files), a message box owned by `owner` says so with the
// program folder's path; the owner stays open either way. Windows build only.

#include <windows.h>

#include <string>

namespace mirune::help {

void OpenManual(HWND owner);

// The folder of the running program, without a closing "\" (UTF-8).
std::string ProgramFolderPath();

}  // namespace mirune::help
