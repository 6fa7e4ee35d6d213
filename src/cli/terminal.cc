#include "cli/terminal.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "base/utf.h"
#else
#include <unistd.h>
#endif

namespace mirune::cli {

namespace {

// A console shows text given as UTF-16 whatever its code page; anything else (a file, a pipe)
// receives the UTF-8 bytes unchanged, the same bytes the Linux build writes.
void Print(FILE* stream, std::string_view utf8) {
#ifdef _WIN32
  const HANDLE handle = GetStdHandle(stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  if (WriteConsoleText(handle, utf8)) return;
#endif
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
  std::fflush(stream);
}

}  // namespace

#ifdef _WIN32
bool WriteConsoleText(void* handle, std::string_view utf8) {
  DWORD mode = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) {
    return false;
  }
  const std::u16string text = Utf8ToUtf16(utf8);
  size_t done = 0;
  while (done < text.size()) {
    // Consoles take a limited amount per call; a chunk never ends between the two halves
    // of a surrogate pair.
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 8192));
    if (done + chunk < text.size() && text[done + chunk - 1] >= 0xD800 &&
        text[done + chunk - 1] <= 0xDBFF) {
      --chunk;
    }
    DWORD written = 0;
    if (!WriteConsoleW(handle, reinterpret_cast<const wchar_t*>(text.data()) + done, chunk,
                       &written, nullptr) ||
        written == 0) {
      return done > 0;  // what is shown stays shown; nothing is printed twice
    }
    done += written;
  }
  return true;
}

ConsoleRead ReadConsoleLine(void* handle, std::string* line) {
  DWORD mode = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) {
    return ConsoleRead::kNotConsole;
  }
  std::u16string text;
  for (;;) {
    wchar_t buffer[256];
    DWORD read = 0;
    if (!ReadConsoleW(handle, buffer, 256, &read, nullptr) || read == 0) break;
    text.append(buffer, buffer + read);
    if (text.back() == u'\n') break;
  }
  if (text.empty() || text[0] == u'\x1a') return ConsoleRead::kEnd;  // Ctrl+Z
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) text.pop_back();
  *line = Utf16ToUtf8(text);
  return ConsoleRead::kLine;
}
#endif

bool ReadInputLine(std::string* line) {
#ifdef _WIN32
  switch (ReadConsoleLine(GetStdHandle(STD_INPUT_HANDLE), line)) {
    case ConsoleRead::kLine:
      return true;
    case ConsoleRead::kEnd:
      return false;
    case ConsoleRead::kNotConsole:
      break;
  }
#endif
  return static_cast<bool>(std::getline(std::cin, *line));
}

void SetUpConsole() {
#ifdef _WIN32
  // Lines end in LF on every platform; the C runtime would otherwise turn them into CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
}

void PrintOut(std::string_view utf8) { Print(stdout, utf8); }

void PrintErr(std::string_view utf8) { Print(stderr, utf8); }

std::string CommandLine(std::string_view command, std::string_view text) {
  std::string line = "mirune ";
  line += command;
  line += ": ";
  line += text;
  if (line.empty() || line.back() != '\n') line += '\n';
  return line;
}

#ifdef _WIN32
// A console, not merely a character device: _isatty is also true for NUL, so `<NUL` would
// make a run look interactive.
bool IsConsole(DWORD which) {
  DWORD mode = 0;
  const HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}
#endif

bool StdinIsTerminal() {
#ifdef _WIN32
  return IsConsole(STD_INPUT_HANDLE);
#else
  return isatty(STDIN_FILENO) != 0;
#endif
}

bool StderrIsTerminal() {
#ifdef _WIN32
  return IsConsole(STD_ERROR_HANDLE);
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

}  // namespace mirune::cli
