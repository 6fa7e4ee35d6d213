#include "gui/manual_win.h"

#include <shellapi.h>

#include "base/wide_text.h"
#include "gui/help_texts.h"

namespace mirune::help {

std::string ProgramFolderPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // a long path: ask again with room for it
  }
  const size_t slash = path.find_last_of(L'\\');
  return Narrow(slash == std::wstring::npos ? path : path.substr(0, slash));
}

void OpenManual(HWND owner) {
  const std::string folder = ProgramFolderPath();
  const std::wstring manual = Wide(ManualPath(folder));
  const HINSTANCE result =
      ShellExecuteW(owner, L"open", manual.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
  if (reinterpret_cast<INT_PTR>(result) <= 32) {
    MessageBoxW(owner, Wide(ManualFailureMessage(folder)).c_str(),
                Wide(kManualFailureTitle).c_str(), kManualFailureStyle);
  }
}

}  // namespace mirune::help
