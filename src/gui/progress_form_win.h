#pragma once

// The base of the progress window Form2 and the abort window Form6 on Windows, over the window
// framework (gui/forms): their style (a caption with the close box, fixed size), their
// controls built from their layout tables (gui/progress_layout.h) in the forms' font and
// placed again at a dpi change, the bar's colour, their place over the main window, and the
// messages both answer alike:
//   WM_CLOSE          the close box, the system menu and Alt+F4 hide the form unless a job
//                     runs (the program's own close hides it directly, never through here);
//   WM_CTLCOLORSTATIC the bar in its colour, the track as a text box (window colour; its text
//                     white while SetTrackTextWhite(true)).
// Windows build only.

#ifdef _WIN32

#include <windows.h>
// winbase.h still defines the 16-bit Yield() as a macro; ProgressView has a member of that name.
#undef Yield

#include <span>
#include <string_view>

#include "base/result.h"
#include "desktop/desktop.h"
#include "gui/forms/form_table.h"
#include "gui/forms/form_win.h"
#include "gui/forms/gdi_owner_win.h"

namespace mirune {

class ProgressForm : public Form {
 protected:
  // What makes one of the two forms; `what` names the window in failures ("進行状況ウィンドウ").
  struct Table {
    const wchar_t* class_name;
    std::string_view caption;
    std::string_view what;
    std::span<const ControlLayout> controls;
    int client_width_twips;
    int client_height_twips;
  };

  // `flags` and the table's data outlive the form.
  ProgressForm(const JobFlags& flags, const Table& table) : job_flags_(flags), table_(table) {}

  // Makes the window hidden, with its controls, sized for its dpi. kUnsupported with a
  // Japanese cause naming the window when Windows refuses.
  Status Make(HWND owner);

  // Places the form over its owner (the main window) as ProgressWindowPlace says: `slot` 0 for
  // Form2, 1 for Form6. A form without a visible owner stays where it is.
  void PlaceOverOwner(int slot);
  // Sets a control's text; nothing is sent when the text is already shown, so a job updating
  // a field with the same value causes no repaint.
  void SetText(int id, std::string_view utf8);
  // The track's text colour: white over the filled bar, else the window text's.
  void SetTrackTextWhite(bool white);

  int dpi() const { return dpi_; }

  // A message the form answers itself; true with `result` set when it did.
  virtual bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    return false;
  }
  // After the controls are placed (creation and dpi changes).
  virtual void OnLayout() {}

 private:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) final;
  void ApplyDpi(int dpi) final;
  HBRUSH ColourControl(HDC dc, HWND control) const;

  const JobFlags& job_flags_;
  const Table table_;
  UniqueFont font_;
  UniqueBrush bar_brush_;
  int dpi_ = 96;
  bool track_text_white_ = false;
};

}  // namespace mirune

#endif  // _WIN32
