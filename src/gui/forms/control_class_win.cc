#include "gui/forms/control_class_win.h"

#include <commctrl.h>

namespace mirune {

ControlClass ControlClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::kLabel:
      return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::kCentered:
      return {L"STATIC", SS_CENTER | SS_NOPREFIX, 0};
    case ControlKind::kTrack:
      return {L"STATIC", SS_LEFT, WS_EX_CLIENTEDGE};
    case ControlKind::kBar:
      return {L"STATIC", SS_LEFT, 0};
    case ControlKind::kFocus:
      return {L"EDIT", ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, 0};
    case ControlKind::kPicture:
      // The icon fills the control at every dpi.
      return {L"STATIC", SS_ICON | SS_CENTERIMAGE | SS_REALSIZECONTROL, 0};
    case ControlKind::kButton:
      return {L"BUTTON", BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP, 0};
    case ControlKind::kCheckBox:
      return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::kFrame:
      return {L"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::kTabStrip:
      return {WC_TABCONTROLW, TCS_FIXEDWIDTH | WS_TABSTOP, 0};
    case ControlKind::kTextBox:
      return {L"EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
              WS_EX_CLIENTEDGE};
    case ControlKind::kEdit:
      return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::kChoiceList:
    case ControlKind::kDriveList:
      return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::kFilterBox:
      return {L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::kFolderList:
    case ControlKind::kFileList:
      return {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
              WS_EX_CLIENTEDGE};
  }
  return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
}

}  // namespace mirune
