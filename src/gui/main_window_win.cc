#include "gui/main_window_win.h"

#include <algorithm>
#include <cstdlib>

#include <commctrl.h>

#include "base/wide_path.h"
#include "base/wide_text.h"
#include "gui/drive_change.h"
#include "gui/file_pattern.h"
#include "gui/form_layout.h"
#include "gui/forms/control_class_win.h"
#include "gui/forms/win_font_win.h"

namespace mirune {

using namespace main_form;  // NOLINT: this window's own layout table
namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// The closed drop-down boxes are as high as the layout says: the selection field plus the
// box's edges.
constexpr int kComboEdges = 6;
// ERROR_NO_SUCH_DEVICE (433): a drive whose medium is gone (not in every winerror.h).
constexpr DWORD kNoSuchDevice = 433;
// How far a drop-down box's list opens, in pixels at 96 dpi.
constexpr int kDropDownHeight = 160;

std::wstring WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
  return text;
}

std::wstring ListText(HWND list, UINT get_length, UINT get_text, WPARAM index) {
  const LRESULT length = SendMessageW(list, get_length, index, 0);
  if (length < 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(list, get_text, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

bool LessIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return text;
}

std::wstring JoinFolder(const std::wstring& folder, const std::wstring& name) {
  if (!folder.empty() && folder.back() == L'\\') return folder + name;
  return folder + L"\\" + name;
}

// `path` as the file API takes it: a path past the 260-character limit gets the long form.
std::wstring ApiPath(const std::wstring& path) { return ToWidePath(Narrow(path)); }

// The names in `folder`: sub-folders (folders = true) or files, sorted as Windows lists them.
std::vector<std::wstring> ListNames(const std::wstring& folder, bool folders) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW(ApiPath(JoinFolder(folder, L"*")).c_str(), FindExInfoBasic, &data,
                                 folders ? FindExSearchLimitToDirectories : FindExSearchNameMatch,
                                 nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const bool is_folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool hidden_system = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) &&
                               (data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM);
    const std::wstring name = data.cFileName;
    if (is_folder != folders || hidden_system || name == L"." || name == L"..") continue;
    names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end(), LessIgnoringCase);
  return names;
}

// Whether `folder` holds an .idml file (a folder of IDML chapters is a book).
bool HoldsIdml(const std::wstring& folder) {
  for (const std::wstring& name : ListNames(folder, false)) {
    if (MatchesFilePattern(Narrow(name), "*.idml")) return true;
  }
  return false;
}

// The folder as the folder list keeps it: full, drive letter as given, no trailing "\"
// except at a root.
std::wstring NormalFolder(const std::wstring& folder) {
  std::wstring path = folder;
  if (path.size() == 2 && path[1] == L':') path += L'\\';
  wchar_t full[MAX_PATH * 4];
  const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
  if (length > 0 && length < MAX_PATH * 4) path.assign(full, length);
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

}  // namespace

Result<std::unique_ptr<MainWindow>> MainWindow::Create(JobFlags& flags, SettingsStore& store,
                                                       MainWindowHooks hooks) {
  const std::wstring class_name = Wide(kMainWindowClass);
  std::unique_ptr<MainWindow> window(new MainWindow(flags, store, std::move(hooks)));
  MIRUNE_RETURN_IF_ERROR(window->CreateFormWindow({.class_name = class_name.c_str(),
                                                   .caption = kProductTitle,
                                                   .what = "メイン画面",
                                                   .style = kWindowStyle}));
  HWND hwnd = window->hwnd();
  window->CreateControls();
  window->ApplyDpi(WindowDpi(hwnd));
  // Centred on the screen that shows it.
  RECT outer;
  GetWindowRect(hwnd, &outer);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  SetWindowPos(hwnd, nullptr, (monitor.rcWork.left + monitor.rcWork.right - width) / 2,
               (monitor.rcWork.top + monitor.rcWork.bottom - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return window;
}

void MainWindow::CreateControls() {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd(), GWLP_HINSTANCE));
  for (const ControlLayout& control_layout : MainWindowControls()) {
    const ControlClass control_class = ControlClassOf(control_layout.kind);
    const bool list = control_layout.kind == ControlKind::kFolderList ||
                      control_layout.kind == ControlKind::kFileList;
    // The main window's lists draw a line inside their sunken edge.
    const DWORD style = WS_CHILD | WS_VISIBLE | control_class.style | (list ? WS_BORDER : 0);
    const std::wstring caption = Wide(control_layout.caption);
    CreateWindowExW(control_class.ex_style, control_class.name, caption.c_str(), style, 0, 0, 10,
                    10, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_layout.id)),
                    instance, nullptr);
  }
  SendMessageW(control(kIdFilterBox), CB_LIMITTEXT, 0, 0);
}

void MainWindow::ApplyDpi(int dpi) {
  dpi_ = dpi;
  font_.reset(CreateFormFont(dpi, false));
  bold_font_.reset(CreateFormFont(dpi, true));
  const SIZE outer =
      WindowSizeForClient(TwipsToPixels(kMainClientWidthTwips, dpi),
                          TwipsToPixels(kMainClientHeightTwips, dpi), kWindowStyle, 0, dpi);
  SetWindowPos(hwnd(), nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (const ControlLayout& control_layout : MainWindowControls()) {
    HWND child = control(control_layout.id);
    SendMessageW(child, WM_SETFONT,
                 reinterpret_cast<WPARAM>(control_layout.bold ? bold_font_.get() : font_.get()),
                 TRUE);
    const PixelRect rect = TwipsToPixels(control_layout.rect, dpi);
    int height = rect.height;
    if (control_layout.kind == ControlKind::kDriveList ||
        control_layout.kind == ControlKind::kFilterBox) {
      SendMessageW(child, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), rect.height - kComboEdges);
      height = rect.height + MulDiv(kDropDownHeight, dpi, 96);
    }
    SetWindowPos(child, nullptr, rect.left, rect.top, rect.width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // List items as tall as the font's text with its underscores.
    if (control_layout.kind == ControlKind::kFolderList ||
        control_layout.kind == ControlKind::kFileList) {
      SendMessageW(child, LB_SETITEMHEIGHT, 0, TextRowHeight(font_.get()));
    } else if (control_layout.kind == ControlKind::kDriveList ||
               control_layout.kind == ControlKind::kFilterBox) {
      SendMessageW(child, CB_SETITEMHEIGHT, 0, TextRowHeight(font_.get()));
    }
    if (control_layout.kind == ControlKind::kDriveList ||
        control_layout.kind == ControlKind::kFilterBox) {
      // The edges differ between systems and themes: the field height that gives the closed
      // box the layout's height is found by measuring.
      auto closed_height = [child](int field) {
        SendMessageW(child, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
        RECT closed;
        GetWindowRect(child, &closed);
        return static_cast<int>(closed.bottom - closed.top);
      };
      int best = rect.height - kComboEdges;
      int best_error = std::abs(closed_height(best) - rect.height);
      for (int field = rect.height - 2 * kComboEdges; field < rect.height && best_error > 0;
           ++field) {
        if (field <= 0) continue;
        const int error = std::abs(closed_height(field) - rect.height);
        if (error < best_error) best = field, best_error = error;
      }
      closed_height(best);
    }
  }
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const int code = HIWORD(wparam);
      if (id == kIdDriveList && code == CBN_SELCHANGE) {
        OnDriveChange();
      } else if (id == kIdFolderList && code == LBN_DBLCLK) {
        OnFolderOpen();
      } else if (id == kIdFolderList && code == LBN_SELCHANGE) {
        OnFolderClick();
      } else if (id == kIdFilterBox && code == CBN_EDITCHANGE) {
        OnFilterChange(WindowText(control(kIdFilterBox)));
      } else if (id == kIdFilterBox && code == CBN_SELCHANGE) {
        HWND combo = control(kIdFilterBox);
        const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (index >= 0) OnFilterChange(ListText(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, index));
      } else if (id == kIdRunButton && code == BN_CLICKED) {
        OnExecute();
      } else if (id == kIdUtilityButton && code == BN_CLICKED) {
        if (!flags_.job_running && hooks_.utility) hooks_.utility();
      } else if (id == kIdQuitButton && code == BN_CLICKED) {
        if (!flags_.job_running) PostMessageW(hwnd(), WM_CLOSE, 0, 0);
      } else if (id == kIdOpenResultsButton && code == BN_CLICKED) {
        if (!flags_.job_running && hooks_.open_results) hooks_.open_results();
      }
      return 0;
    }
    case WM_CLOSE:
      // A close requested while a job runs is refused; the job ends first.
      if (flags_.job_running) return 0;
      Unload();
      return 0;
    case WM_ENDSESSION:
      // Windows is shutting down: the selection is stored as at an ordinary close.
      if (wparam) (void)StoreSelection(store_, State());
      return 0;
    case WM_DESTROY:
      // The controls still exist here (children are destroyed after their parent).
      (void)StoreSelection(store_, State());
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd(), message, wparam, lparam);
  }
}

void MainWindow::FillAtStartUp() {
  FillDrives();
  HWND combo = control(kIdFilterBox);
  // The pattern starts as the box's design-time text "*.*".
  pattern_text_ = WindowText(combo);
  for (std::string_view item :
       {kFilterItemIndd, kFilterItemIndb, kFilterItemAll, kFilterItemIdml}) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
  }
  RestoreSelection(store_, *this);
  SelectFirstFile();
}

void MainWindow::FillDrives() {
  HWND drives = control(kIdDriveList);
  SendMessageW(drives, CB_RESETCONTENT, 0, 0);
  const DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    const wchar_t letter = static_cast<wchar_t>(L'a' + i);
    std::wstring entry = {letter, L':'};
    const std::wstring root = {letter, L':', L'\\'};
    wchar_t label[MAX_PATH + 1] = {};
    // A drive without a medium has no label; asking must not bring up a system box (the
    // error mode is set at start-up).
    if (GetDriveTypeW(root.c_str()) != DRIVE_REMOVABLE &&
        GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr,
                              0) &&
        label[0] != L'\0') {
      entry += L" [" + std::wstring(label) + L"]";
    }
    SendMessageW(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
}

bool MainWindow::SelectDriveEntry(wchar_t letter) {
  HWND drives = control(kIdDriveList);
  const wchar_t wanted = Lower(std::wstring(1, letter))[0];
  const LRESULT count = SendMessageW(drives, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const std::wstring entry = ListText(drives, CB_GETLBTEXTLEN, CB_GETLBTEXT, i);
    if (!entry.empty() && entry[0] == wanted) {
      SendMessageW(drives, CB_SETCURSEL, i, 0);
      return true;
    }
  }
  return false;
}

std::wstring MainWindow::SelectedDriveEntry() const {
  HWND drives = control(kIdDriveList);
  const LRESULT index = SendMessageW(drives, CB_GETCURSEL, 0, 0);
  return index < 0 ? std::wstring() : ListText(drives, CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

Status MainWindow::SetDrive(std::string_view drive) {
  const std::wstring wide = Wide(drive);
  if (wide.size() < 2 || wide[1] != L':' || !SelectDriveEntry(wide[0])) {
    return Status(ErrorCode::kNotFound, "ドライブ " + std::string(drive) + " がありません");
  }
  OnDriveChange();
  return Status::Ok();
}

Status MainWindow::SetFolder(std::string_view folder) {
  switch (ChangeFolder(Wide(folder))) {
    case FolderOutcome::kDone:
      return Status::Ok();
    case FolderOutcome::kDeviceUnavailable:
      return Status(ErrorCode::kNotFound, "ドライブの準備ができていません: " + std::string(folder));
    case FolderOutcome::kFailed:
      break;
  }
  return Status(ErrorCode::kNotFound, "フォルダーを開けません: " + std::string(folder));
}

Status MainWindow::SetFilterText(std::string_view text) {
  const std::wstring wide = Wide(text);
  SetWindowTextW(control(kIdFilterBox), wide.c_str());
  OnFilterChange(wide);
  return Status::Ok();
}

void MainWindow::SetKeepFolder(bool keep) {
  SendMessageW(control(kIdKeepFolderBox), BM_SETCHECK, keep ? BST_CHECKED : BST_UNCHECKED, 0);
}

SelectionState MainWindow::State() const {
  SelectionState state;
  state.drive_entry = Narrow(SelectedDriveEntry());
  state.folder = Narrow(folder_path_);
  state.filter_text = Narrow(FilterText());
  state.keep_folder = SendMessageW(control(kIdKeepFolderBox), BM_GETCHECK, 0, 0) == BST_CHECKED;
  return state;
}

std::wstring MainWindow::FilterText() const { return WindowText(control(kIdFilterBox)); }

void MainWindow::SetSelectionControlsEnabled(bool enabled) {
  for (int id : {kIdDriveList, kIdFolderList, kIdFileList, kIdFilterBox, kIdKeepFolderBox}) {
    EnableWindow(control(id), enabled);
  }
}

void MainWindow::SetResultsFolderTip(std::string_view text) {
  std::wstring wide = Wide(text);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd();
  tool.uId = reinterpret_cast<UINT_PTR>(control(kIdOpenResultsButton));
  tool.lpszText = wide.data();
  if (tip_ == nullptr) {
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, nullptr, nullptr);
    if (tip_ == nullptr) return;  // a missing tip costs nothing but the hint
    // A long path wraps instead of running off the screen.
    SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, 600);
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    return;
  }
  SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

FolderOutcome MainWindow::ChangeFolder(const std::wstring& folder) {
  const std::wstring path = NormalFolder(folder);
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW(ApiPath(JoinFolder(path, L"*")).c_str(), FindExInfoBasic, &data,
                                 FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // An empty drive root lists nothing without an error; a listed drive whose root cannot
    // be read has no medium (or is not ready).
    if (error == ERROR_FILE_NOT_FOUND) {
      // a root without any entry: nothing to list, yet the folder exists
    } else if (error == ERROR_NOT_READY || error == ERROR_NO_MEDIA_IN_DRIVE ||
               error == kNoSuchDevice || error == ERROR_DEV_NOT_EXIST ||
               error == ERROR_UNRECOGNIZED_VOLUME ||
               (path.size() == 3 &&
                (error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_DRIVE))) {
      return FolderOutcome::kDeviceUnavailable;
    } else {
      return FolderOutcome::kFailed;
    }
  } else {
    FindClose(find);
  }
  const DWORD attributes = GetFileAttributesW(ApiPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return FolderOutcome::kFailed;
  }
  folder_path_ = path;
  FillFolderList();
  // The folder list's change: the file list follows (not while a job runs).
  if (!flags_.job_running) {
    pattern_text_ = FilterText();
    FillFileList();
    SelectFirstFile();
  }
  return FolderOutcome::kDone;
}

void MainWindow::FillFolderList() {
  HWND list = control(kIdFolderList);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  folder_entries_.clear();
  // The open folders from the root down to the current one, then its sub-folders.
  std::vector<std::wstring> chain;
  for (std::wstring path = folder_path_;;) {
    chain.push_back(path);
    if (path.size() <= 3) break;
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) break;
    path = slash <= 2 ? path.substr(0, 3) : path.substr(0, slash);
  }
  std::reverse(chain.begin(), chain.end());
  auto add = [&](const std::wstring& path, const std::wstring& text, size_t depth) {
    const std::wstring item = std::wstring(depth * 2, L' ') + text;
    const LRESULT index =
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageW(list, LB_SETITEMDATA, index, static_cast<LPARAM>(folder_entries_.size()));
    folder_entries_.push_back(path);
    return index;
  };
  LRESULT current = 0;
  for (size_t depth = 0; depth < chain.size(); ++depth) {
    const std::wstring& path = chain[depth];
    const std::wstring name = depth == 0 ? Lower(path) : path.substr(path.find_last_of(L'\\') + 1);
    current = add(path, name, depth);
  }
  for (const std::wstring& name : ListNames(folder_path_, true)) {
    add(JoinFolder(folder_path_, name), name, chain.size());
  }
  SendMessageW(list, LB_SETCURSEL, current, 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void MainWindow::FillFileList() {
  HWND list = control(kIdFileList);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  const std::vector<std::string> patterns = SplitFilePatterns(Narrow(pattern_text_));
  // With the IDML filter the folders of IDML chapters come first, as books ("本\").
  if (PatternsListIdmlBooks(patterns)) {
    for (const std::wstring& name : ListNames(folder_path_, true)) {
      if (!HoldsIdml(JoinFolder(folder_path_, name))) continue;
      const std::wstring entry = Wide(BookFolderEntry(Narrow(name)));
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
  }
  for (const std::wstring& name : ListNames(folder_path_, false)) {
    if (!MatchesAnyFilePattern(Narrow(name), patterns)) continue;
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void MainWindow::SelectFirstFile() {
  HWND list = control(kIdFileList);
  if (SendMessageW(list, LB_GETCOUNT, 0, 0) > 0) SendMessageW(list, LB_SETCURSEL, 0, 0);
}

void MainWindow::OnDriveChange() {
  if (flags_.job_running || following_drive_) return;
  following_drive_ = true;
  DriveChangeHost host;
  host.set_folder = [this](std::string_view folder) { return ChangeFolder(Wide(folder)); };
  host.set_drive = [this](std::string_view drive) {
    const std::wstring wide = Wide(drive);
    SelectDriveEntry(wide[0]);
  };
  host.ask = [this](std::string_view text, std::string_view title, int style) {
    return hooks_.ask ? hooks_.ask(text, title, style) : kAnswerCancel;
  };
  FollowDrive(Narrow(SelectedDriveEntry()), host);
  following_drive_ = false;
}

void MainWindow::OnFolderOpen() {
  if (flags_.job_running) return;
  HWND list = control(kIdFolderList);
  const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (index < 0) return;
  const LRESULT entry = SendMessageW(list, LB_GETITEMDATA, index, 0);
  if (entry < 0 || static_cast<size_t>(entry) >= folder_entries_.size()) return;
  const std::wstring path = folder_entries_[static_cast<size_t>(entry)];
  if (ChangeFolder(path) != FolderOutcome::kDone) FillFolderList();
}

void MainWindow::OnFolderClick() {
  if (flags_.job_running) return;
  // A floppy's contents change without the program knowing: a click re-reads it.
  if (folder_path_ == L"a:\\") {
    FillFileList();
    SelectFirstFile();
  }
}

void MainWindow::OnFilterChange(const std::wstring& text) {
  if (flags_.job_running) return;
  pattern_text_ = text;
  FillFileList();
  SelectFirstFile();
}

void MainWindow::OnExecute() {
  if (flags_.job_running || !hooks_.execute) return;
  LaunchSelection selection;
  selection.folder = Narrow(folder_path_);
  HWND list = control(kIdFileList);
  const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (index >= 0) {
    const std::string entry = Narrow(ListText(list, LB_GETTEXTLEN, LB_GETTEXT, index));
    const std::string book = BookFolderOfEntry(entry);
    selection.file_name = book.empty() ? entry : book;
  }
  hooks_.execute(selection);
}

}  // namespace mirune
