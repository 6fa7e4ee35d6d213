#include "gui/testing/window_test_driver_win.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/file.h"
#include "base/wide_path.h"
#include "gui/forms/message_pump_win.h"

namespace mirune::testing {
namespace {

constexpr UINT kMarkerMessage = WM_APP + 1;
constexpr const wchar_t* kMarkerClass = L"MiruneQueueMarker";

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBigEndian(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  std::string body(type, 4);
  body += data;
  out += body;
  PutBigEndian(out, Crc32(reinterpret_cast<const uint8_t*>(body.data()), body.size()));
}

// A PNG of 8-bit RGB rows, deflated as stored blocks: no compressor needed, and the same
// picture always gives the same bytes.
std::string EncodePngRows(int width, int height, const std::vector<uint8_t>& rgb) {
  std::string raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back('\0');  // filter: none
    raw.append(reinterpret_cast<const char*>(rgb.data()) + static_cast<size_t>(y) * width * 3,
               static_cast<size_t>(width) * 3);
  }
  std::string zlib = "\x78\x01";
  size_t pos = 0;
  do {
    const size_t n = std::min<size_t>(65535, raw.size() - pos);
    const bool last = pos + n == raw.size();
    zlib.push_back(last ? '\1' : '\0');
    zlib.push_back(static_cast<char>(n & 0xFF));
    zlib.push_back(static_cast<char>(n >> 8));
    zlib.push_back(static_cast<char>(~n & 0xFF));
    zlib.push_back(static_cast<char>((~n >> 8) & 0xFF));
    zlib.append(raw, pos, n);
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(zlib, (b << 16) | a);

  std::string png = "\x89PNG\r\n\x1a\n";
  std::string header;
  PutBigEndian(header, static_cast<uint32_t>(width));
  PutBigEndian(header, static_cast<uint32_t>(height));
  header +=
      std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", "");
  return png;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, int timeout_ms) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms);
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(2);
  }
}

void PumpUntil(const std::function<bool()>& done) {
  while (!done()) PumpMessagesWaiting(5);
}

HWND WaitForWindow(const wchar_t* class_name, const wchar_t* title, int timeout_ms) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindWindowW(class_name, title)) != nullptr; }, timeout_ms);
  return found;
}

HWND WaitForMessageBox(const wchar_t* title, int timeout_ms) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = FindWindowW(L"#32770", title);
        return found != nullptr && IsWindowVisible(found);
      },
      timeout_ms);
  return found != nullptr && IsWindowVisible(found) ? found : nullptr;
}

std::wstring MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

std::wstring WindowText(HWND window) {
  std::array<wchar_t, 1024> text{};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 20000, &length)) {
    return L"<no answer>";
  }
  return std::wstring(text.data(), static_cast<size_t>(length));
}

RECT ChildRect(HWND parent, HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

QueueMarker::QueueMarker() {
  WNDCLASSEXW marker{};
  marker.cbSize = sizeof(marker);
  marker.lpfnWndProc = WindowProc;
  marker.hInstance = GetModuleHandleW(nullptr);
  marker.lpszClassName = kMarkerClass;
  RegisterClassExW(&marker);
  hwnd_ = CreateWindowExW(0, kMarkerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&handled_));
}

QueueMarker::~QueueMarker() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool QueueMarker::Drain(int timeout_ms) {
  const long wanted = ++posted_;
  PostMessageW(hwnd_, kMarkerMessage, 0, 0);
  return WaitUntil([&] { return handled_.load() >= wanted; }, timeout_ms);
}

LRESULT CALLBACK QueueMarker::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kMarkerMessage) {
    auto* handled = reinterpret_cast<std::atomic<long>*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (handled != nullptr) ++*handled;
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

namespace {

// The share of pure black pixels in RGB rows.
double BlackShare(const std::vector<uint8_t>& rgb) {
  size_t black = 0;
  for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
    if (rgb[i] == 0 && rgb[i + 1] == 0 && rgb[i + 2] == 0) ++black;
  }
  return rgb.empty() ? 1.0 : static_cast<double>(black) / static_cast<double>(rgb.size() / 3);
}

}  // namespace

// The window's pixels as they are on the screen (RGB rows); empty when it has none.
std::vector<uint8_t> CaptureWindow(HWND hwnd, int* width_out, int* height_out) {
  RECT rect;
  GetWindowRect(hwnd, &rect);
  return CaptureScreen(rect, width_out, height_out);
}

std::vector<uint8_t> CaptureScreen(const RECT& rect, int* width_out, int* height_out) {
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return {};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  const auto* bgra = static_cast<const uint8_t*>(bits);
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
    rgb[i * 3] = bgra[i * 4 + 2];
    rgb[i * 3 + 1] = bgra[i * 4 + 1];
    rgb[i * 3 + 2] = bgra[i * 4];
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  *width_out = width;
  *height_out = height;
  return rgb;
}

bool Screenshot(HWND hwnd, const std::string& name, const std::function<bool()>& in_front,
                double black_allowed) {
  return ScreenshotTogether({hwnd}, name, in_front, black_allowed);
}

bool ScreenshotTogether(const std::vector<HWND>& windows, const std::string& name,
                        const std::function<bool()>& in_front, double black_allowed) {
  auto capture = [&windows](int* width, int* height) {
    RECT all{};
    for (HWND hwnd : windows) {
      RECT rect;
      GetWindowRect(hwnd, &rect);
      UnionRect(&all, &all, &rect);
    }
    return CaptureScreen(all, width, height);
  };
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  std::vector<uint8_t> previous;
  // Two looks 20 ms apart, for 15 s at most.
  auto look = [&] {
    previous.swap(rgb);
    rgb.clear();
    if (in_front && !in_front()) return false;
    rgb = capture(&width, &height);
    if (in_front && !in_front()) rgb.clear();
    // Painted: the same as the look before, and not mostly black. What X has not been
    // given yet shows black, and Wine hands a busy window's painting to X only when its
    // thread next waits for messages: a job's window can show its background with black
    // boxes where its controls will be for a while. Text and borders hold at most
    // about 14 % of a window (a message box or a help window full of text).
    return rgb == previous && !rgb.empty() && BlackShare(rgb) < black_allowed;
  };
  for (const ULONGLONG end = GetTickCount64() + 15000; !look() && GetTickCount64() < end;) {
    Sleep(20);
  }
  // A picture is written only of a painted window: a window pictured before the display
  // showed it is black, and a black picture must never reach the manual.
  const bool painted = !rgb.empty() && rgb == previous && BlackShare(rgb) < black_allowed;
  if (!painted) {
    ADD_FAILURE() << "the window of the picture " << name << " was not seen painted within 15 s"
                  << (rgb.empty() ? " (it was never in front)"
                                  : " (black " + std::to_string(BlackShare(rgb)) + ")");
    return false;
  }
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(ToWidePath(ScreenshotFolder())),
                                      ignored);
  const bool written =
      WriteFileAtomic(ScreenshotFolder() + "/" + name + ".png", EncodePng(width, height, rgb)).ok();
  if (!written) ADD_FAILURE() << "the picture " << name << " could not be written";
  return written;
}

std::string ScreenshotFolder() { return std::string(MIRUNE_BINARY_DIR) + "/../screenshots"; }

std::string EncodePng(int width, int height, const std::vector<uint8_t>& rgb) {
  return EncodePngRows(width, height, rgb);
}

}  // namespace mirune::testing
