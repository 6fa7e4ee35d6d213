#pragma once

// The one rule of what a control of each kind is on Windows: its window class, its styles
// and its extended styles, for every form of the program. The caller adds WS_CHILD,
// WS_VISIBLE and what its form needs besides. Windows build only.

#ifdef _WIN32

#include <windows.h>

#include "gui/forms/form_table.h"

namespace mirune {

struct ControlClass {
  const wchar_t* name;
  DWORD style;
  DWORD ex_style;
};

ControlClass ControlClassOf(ControlKind kind);

}  // namespace mirune

#endif  // _WIN32
