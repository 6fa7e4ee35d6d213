#pragma once

// The system's windows for choosing a file to read and a folder (UTF-8 paths). Windows build
// only.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace mirune {

// The "open" window of the common dialogs: `title`, the file types as pairs of description
// and patterns ("Excel ブック (*.xls)", "*.xls"), starting at `initial` (a file shown
// chosen, or a folder). Empty when the user cancels.
struct FileType {
  std::string_view description;
  std::string_view patterns;
};
std::optional<std::string> ChooseFileToOpen(HWND owner, std::string_view title,
                                            std::initializer_list<FileType> types,
                                            std::string_view initial);

// The folder browser with `title`. Empty when the user cancels.
std::optional<std::string> ChooseFolder(HWND owner, std::string_view title);

}  // namespace mirune
