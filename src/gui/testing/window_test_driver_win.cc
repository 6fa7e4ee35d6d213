#include "gui/testing/window_test_driver_win.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "base/file.h"
#include "base/wide_path.h"
#include "gui/forms/form_window_win.h"

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

Status SaveWindowPicture(HWND window, const std::string& path) {
  RECT client{};
  if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) {
    return Status(ErrorCode::kNotFound, "ウィンドウの大きさを取得できません: " + path);
  }
  const int width = client.right;
  const int height = client.bottom;
  // Whatever is still to be painted is painted now (by the window's own thread).
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  HDC window_dc = GetDC(window);
  HDC memory_dc = CreateCompatibleDC(window_dc);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(window_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory_dc, bitmap);
  const BOOL copied = BitBlt(memory_dc, 0, 0, width, height, window_dc, 0, 0, SRCCOPY);
  GdiFlush();
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  if (copied && bits != nullptr) {
    const auto* bgra = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
      rgb[i * 3] = bgra[i * 4 + 2];
      rgb[i * 3 + 1] = bgra[i * 4 + 1];
      rgb[i * 3 + 2] = bgra[i * 4];
    }
  }
  SelectObject(memory_dc, old);
  DeleteObject(bitmap);
  DeleteDC(memory_dc);
  ReleaseDC(window, window_dc);
  if (!copied) return Status(ErrorCode::kIoError, "ウィンドウの画像を写せません: " + path);
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(ToWidePath(path)).parent_path(),
                                      ignored);
  return WriteFileAtomic(path, EncodePngRows(width, height, rgb));
}

std::string ScreenshotFolder() { return std::string(MIRUNE_BINARY_DIR) + "/../screenshots"; }

std::string EncodePng(int width, int height, const std::vector<uint8_t>& rgb) {
  return EncodePngRows(width, height, rgb);
}

}  // namespace mirune::testing
