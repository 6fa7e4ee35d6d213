#include "base/control_chars.h"

namespace mirune {
namespace {

// The UTF-8 form of U+0080–U+009F is C2 80 … C2 9F.
bool IsC1At(std::string_view text, size_t i) {
  return static_cast<unsigned char>(text[i]) == 0xC2 && i + 1 < text.size() &&
         static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
         static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

}  // namespace

bool StripControlChars(std::string& text) {
  // Compacted in place: the write position never passes the read position.
  size_t out = 0;
  const std::string_view view(text);
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80 && IsRemovedControl(c)) continue;
    if (IsC1At(view, i)) {
      ++i;
      continue;
    }
    text[out++] = text[i];
  }
  const bool removed = out != text.size();
  text.resize(out);
  return removed;
}

bool StripControlChars(std::u16string& text) {
  size_t out = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsRemovedControl(text[i])) continue;
    text[out++] = text[i];
  }
  const bool removed = out != text.size();
  text.resize(out);
  return removed;
}

std::string RemoveControlChars(std::string_view text) {
  std::string out(text);
  StripControlChars(out);
  return out;
}

std::u16string RemoveControlChars(std::u16string_view text) {
  std::u16string out(text);
  StripControlChars(out);
  return out;
}

}  // namespace mirune
