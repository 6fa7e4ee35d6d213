#include "base/wide_path.h"

#include <windows.h>

#include "base/utf.h"
#include "base/wide_text.h"

namespace mirune {
namespace {

// The plain API refuses a folder path of MAX_PATH - 12 characters (room for an 8.3 name) or
// more; from there on the prefix is used.
constexpr size_t kLongPath = MAX_PATH - 12;

std::wstring Plain(const std::string& utf8) {
  std::wstring wide = Wide(utf8);
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  return wide;
}

}  // namespace

std::wstring FullWidePath(const std::wstring& path) {
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return {};
  std::wstring full(needed, L'\0');
  const DWORD n = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (n == 0 || n >= needed) return {};
  full.resize(n);
  return full;
}

std::wstring ToWidePath(const std::string& utf8_path) {
  std::wstring wide = Plain(utf8_path);
  // Prefixed paths ("\\?\…") and device paths ("\\.\pipe\…") go to the API as they are.
  if (wide.rfind(L"\\\\?\\", 0) == 0 || wide.rfind(L"\\\\.\\", 0) == 0) return wide;
  // A fully qualified short path ("C:\…", "\\server\share\…") is already what the API
  // wants. Any other form ("a\b", "C:b", "\b") depends on the current folder, which can
  // make it long, so it is resolved first.
  const bool qualified =
      (wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\') || wide.rfind(L"\\\\", 0) == 0;
  if (qualified && wide.size() < kLongPath && utf8_path.find("..") == std::string::npos) {
    return wide;
  }
  std::wstring full = FullWidePath(wide);
  if (full.empty()) full = wide;
  if (full.size() < kLongPath) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::string FromWidePath(const std::wstring& wide_path) {
  std::wstring path = wide_path;
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    path = L"\\\\" + path.substr(8);
  } else if (path.rfind(L"\\\\?\\", 0) == 0) {
    path = path.substr(4);
  }
  return Narrow(path);
}

std::vector<std::string> Utf8Arguments(int argc, wchar_t** wargv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) {
    args.push_back(Narrow(wargv[i]));
  }
  return args;
}

}  // namespace mirune
