#include "gui/forms/file_choice_win.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "base/wide_text.h"

namespace mirune {

std::optional<std::string> ChooseFileToOpen(HWND owner, std::string_view title,
                                            std::initializer_list<FileType> types,
                                            std::string_view initial) {
  // The filter: description NUL patterns NUL …, ended by a second NUL.
  std::wstring filter;
  for (const FileType& type : types) {
    filter += Wide(type.description);
    filter.push_back(L'\0');
    filter += Wide(type.patterns);
    filter.push_back(L'\0');
  }
  filter.push_back(L'\0');
  const std::wstring initial_wide = Wide(initial);
  const DWORD attributes = GetFileAttributesW(initial_wide.c_str());
  const bool initial_is_folder =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  std::vector<wchar_t> file(32768, L'\0');
  if (!initial_is_folder) initial_wide.copy(file.data(), file.size() - 1);
  const std::wstring title_wide = Wide(title);
  OPENFILENAMEW choice{};
  choice.lStructSize = sizeof(choice);
  choice.hwndOwner = owner;
  choice.lpstrFilter = filter.c_str();
  choice.nFilterIndex = 1;
  choice.lpstrFile = file.data();
  choice.nMaxFile = static_cast<DWORD>(file.size());
  choice.lpstrInitialDir = initial_is_folder ? initial_wide.c_str() : nullptr;
  choice.lpstrTitle = title_wide.c_str();
  choice.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
  if (!GetOpenFileNameW(&choice)) return std::nullopt;
  return Narrow(file.data());
}

std::optional<std::string> ChooseFolder(HWND owner, std::string_view title) {
  const std::wstring title_wide = Wide(title);
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.lpszTitle = title_wide.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  if (!chosen) return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  const bool ok = SHGetPathFromIDListW(chosen, path);
  CoTaskMemFree(chosen);
  if (!ok) return std::nullopt;
  return Narrow(path);
}

}  // namespace mirune
