#pragma once

// A window made from a layout table (gui/forms/form_table.h, the table system of every form
// of the program): the class is registered, the window made with its caption and client size,
// every control created, placed at the window's dpi in the forms' font and placed again at a
// dpi change. A control that lies in a frame is placed from the frame's top left; a frame in
// a tab strip with an empty rectangle fills the strip's display area. Tab strips and frames
// lie below the other controls. The form object handles its window's messages through the
// virtual functions below; it owns its window as every form does (gui/forms/form_win.h).

#include <windows.h>

#include <span>
#include <string>
#include <string_view>

#include "base/result.h"
#include "gui/forms/form_table.h"
#include "gui/forms/form_win.h"
#include "gui/forms/gdi_owner_win.h"

namespace mirune {

struct LayoutFormDefinition {
  std::string_view class_name;
  std::string_view caption;
  std::string_view what;  // names the window in failures ("ユーティリティ画面")
  std::span<const ControlLayout> controls;
  int client_width_twips = 0;
  int client_height_twips = 0;
};

class LayoutForm : public Form {
 public:
  // Shows the window (again) in front, centred on its owner the first time.
  void Show();
  void Hide();

  // The text of a control (UTF-8), and setting it.
  std::string ControlText(int id) const;
  void SetControlText(int id, std::string_view text);
  // A drop-down list: its items, and the index chosen (0 when none).
  void SetChoices(int id, std::span<const std::string_view> items, int chosen = 0);
  int Chosen(int id) const;

 protected:
  LayoutForm() = default;
  // Makes the window, hidden. kUnsupported with the cause when Windows refuses.
  Status CreateFromTable(const LayoutFormDefinition& definition, HWND owner);

  // WM_COMMAND from a control.
  virtual void OnCommand(int id, int code) {}
  // The close box, the system menu and Alt+F4; unloads unless overridden.
  virtual void OnClose() { Unload(); }
  // Any other message; return true with `result` set when handled.
  virtual bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    return false;
  }
  // After the controls are placed (creation and dpi changes).
  virtual void OnLayout() {}

  int dpi() const { return dpi_; }
  // Places every control again (after a change that moves a container's inside).
  void Relayout() { ApplyDpi(dpi_); }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) final;
  void CreateControls();
  void ApplyDpi(int dpi) override;
  RECT PlaceOf(const ControlLayout& control_layout) const;

  UniqueFont font_;
  UniqueFont bold_font_;
  UniqueIcon icon_;
  int dpi_ = 96;
  bool shown_before_ = false;
  std::span<const ControlLayout> controls_;
  int client_width_twips_ = 0;
  int client_height_twips_ = 0;
};

}  // namespace mirune
