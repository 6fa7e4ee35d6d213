#include "gui/forms/input_block_win.h"

#include <algorithm>

namespace mirune {
namespace {

struct Enumeration {
  std::vector<HWND> keep;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM context) {
  auto* e = reinterpret_cast<Enumeration*>(context);
  if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) &&
      std::find(e->keep.begin(), e->keep.end(), hwnd) == e->keep.end()) {
    e->found.push_back(hwnd);
  }
  return TRUE;
}

}  // namespace

InputBlock::InputBlock(std::initializer_list<HWND> keep) {
  Enumeration e{std::vector<HWND>(keep), {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&e));
  for (HWND hwnd : e.found) EnableWindow(hwnd, FALSE);
  disabled_ = std::move(e.found);
}

InputBlock::~InputBlock() {
  // In reverse, so that the window that had the focus last is enabled last; a window closed
  // meanwhile is skipped.
  for (auto it = disabled_.rbegin(); it != disabled_.rend(); ++it) {
    if (IsWindow(*it)) EnableWindow(*it, TRUE);
  }
}

}  // namespace mirune
