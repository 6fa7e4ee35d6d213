#include "app/win_desktop_win.h"

#include "app/main_window_win.h"
#include "app/win_font_win.h"
#include "app/win_text_win.h"

namespace mirune {
namespace {

constexpr wchar_t kAbortClass[] = L"MiruneForm6";
constexpr wchar_t kProgressClass[] = L"MiruneForm2";
constexpr int kAbortButtonId = 601;
constexpr int kAbortTextId = 602;
constexpr DWORD kToolStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;

void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = proc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = name;
  RegisterClassExW(&window_class);
}

// Pixels for 96-dpi pixels at the window's dpi.
int Scale(int pixels, int dpi) { return MulDiv(pixels, dpi, 96); }

}  // namespace

WinDesktop::WinDesktop(HINSTANCE instance, JobFlags& flags, MainWindow& main_window)
    : instance_(instance), flags_(flags), main_window_(main_window) {
  RegisterWindowClass(instance_, kAbortClass, AbortProc);
}

WinDesktop::~WinDesktop() {
  CloseAbortWindow();
  if (font_) DeleteObject(font_);
}

int WinDesktop::ShowMessage(std::string_view text, std::string_view title, int style) {
  HWND owner = abort_hwnd_ && IsWindowVisible(abort_hwnd_) ? abort_hwnd_ : main_window_.hwnd();
  return MessageBoxW(owner, Wide(text).c_str(), Wide(title).c_str(), static_cast<UINT>(style));
}

void WinDesktop::YieldToMessageLoop() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Ends the loop of wWinMain after the job returns.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

double WinDesktop::ClockSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

LRESULT CALLBACK WinDesktop::AbortProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<WinDesktop*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<WinDesktop*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (self) {
    if (message == WM_CLOSE) {
      // The user may close it only when no job runs.
      if (!self->abort_window_ || self->abort_window_->UserMayClose()) ShowWindow(hwnd, SW_HIDE);
      return 0;
    }
    if (message == WM_COMMAND && LOWORD(wparam) == kAbortButtonId && self->abort_window_) {
      self->abort_window_->PressAbortButton();
      return 0;
    }
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void WinDesktop::ShowAbortWindow(AbortWindow& window) {
  abort_window_ = &window;
  if (!abort_hwnd_) {
    const int dpi = WindowDpi(main_window_.hwnd());
    if (!font_) font_ = CreateFormFont(dpi, false);
    const SIZE outer = WindowSizeForClient(Scale(360, dpi), Scale(130, dpi), kToolStyle, 0, dpi);
    RECT main;
    GetWindowRect(main_window_.hwnd(), &main);
    abort_hwnd_ = CreateWindowExW(0, kAbortClass, Wide(AbortWindow::kCaption).c_str(), kToolStyle,
                                  main.left + Scale(40, dpi), main.top + Scale(40, dpi), outer.cx,
                                  outer.cy, main_window_.hwnd(), nullptr, instance_, this);
    HWND text = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, Scale(12, dpi),
                                Scale(10, dpi), Scale(336, dpi), Scale(66, dpi), abort_hwnd_,
                                reinterpret_cast<HMENU>(kAbortTextId), instance_, nullptr);
    HWND button =
        CreateWindowExW(0, L"BUTTON", Wide(AbortWindow::kButton).c_str(),
                        WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, Scale(240, dpi),
                        Scale(86, dpi), Scale(108, dpi), Scale(32, dpi), abort_hwnd_,
                        reinterpret_cast<HMENU>(kAbortButtonId), instance_, nullptr);
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  const std::string text = std::string(AbortWindow::kStaticActivity) + "\r\n" +
                           std::string(AbortWindow::kDocumentCaption) + window.document_name() +
                           "\r\n" + std::string(AbortWindow::kHint);
  SetDlgItemTextW(abort_hwnd_, kAbortTextId, Wide(text).c_str());
  ShowWindow(abort_hwnd_, SW_SHOWNORMAL);
  UpdateWindow(abort_hwnd_);
}

void WinDesktop::CloseAbortWindow() {
  abort_window_ = nullptr;
  if (abort_hwnd_) {
    DestroyWindow(abort_hwnd_);
    abort_hwnd_ = nullptr;
  }
}

void WinDesktop::SetSelectionControlsEnabled(bool enabled) {
  main_window_.SetSelectionControlsEnabled(enabled);
}

void WinDesktop::FocusMainWindow() {
  HWND hwnd = main_window_.hwnd();
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  SetFocus(hwnd);
}

WinProgressView::WinProgressView(HINSTANCE instance, JobFlags& flags, Desktop& desktop, HWND owner)
    : instance_(instance), flags_(flags), desktop_(desktop), owner_(owner) {
  RegisterWindowClass(instance_, kProgressClass, Proc);
}

WinProgressView::~WinProgressView() {
  Close();
  if (font_) DeleteObject(font_);
}

LRESULT CALLBACK WinProgressView::Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(
        hwnd, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<WinProgressView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  // A user close is refused while a job runs.
  if (message == WM_CLOSE && self && self->flags_.job_running) return 0;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void WinProgressView::Render(const ProgressWindowState& state) {
  if (!state.open) return;
  if (!hwnd_) {
    const int dpi = WindowDpi(owner_);
    if (!font_) font_ = CreateFormFont(dpi, false);
    const SIZE outer = WindowSizeForClient(Scale(400, dpi), Scale(130, dpi), kToolStyle, 0, dpi);
    RECT main;
    GetWindowRect(owner_, &main);
    hwnd_ = CreateWindowExW(0, kProgressClass, Wide(AbortWindow::kCaption).c_str(), kToolStyle,
                            main.left + Scale(20, dpi), main.top + Scale(200, dpi), outer.cx,
                            outer.cy, owner_, nullptr, instance_, this);
    text_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, Scale(12, dpi),
                            Scale(8, dpi), Scale(376, dpi), Scale(114, dpi), hwnd_, nullptr,
                            instance_, nullptr);
    SendMessageW(text_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  }
  std::string text = state.activity + "　" + state.percent_text + "\r\n" + "対象文書名 ：" +
                     state.document_name + "\r\n" + "処理中のドキュメント数 ：" +
                     state.document_counter + "\r\n" + "処理中のストーリー数   ：" +
                     state.story_counter + "\r\n" + state.entry_caption + state.entry_count;
  SetWindowTextW(text_, Wide(text).c_str());
  UpdateWindow(hwnd_);
}

void WinProgressView::Close() {
  if (hwnd_) {
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    text_ = nullptr;
  }
}

void WinProgressView::PauseAfterFinish() {
  // About a second, messages not processed (the finished bar stays as it is).
  Sleep(1000);
}

}  // namespace mirune
