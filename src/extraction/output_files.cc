#include "extraction/output_files.h"

#include <cstdio>

#include "base/cp932.h"
#include "base/file.h"
#include "base/utf.h"

namespace mirune {
namespace {

constexpr std::string_view kFontName = "ＭＳ 明朝";

// Bytes of `text` in code page 932 as \'hh escapes (the font table's name).
std::string HexEscapedCp932(std::string_view text) {
  std::string out;
  for (const unsigned char b : EncodeCp932(text)) {
    if (b == ' ') {
      out += ' ';
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\'%02x", b);
      out += buffer;
    }
  }
  return out;
}

void AppendRtfText(std::string& out, std::string_view utf8) {
  for (const char16_t unit : Utf8ToUtf16(utf8)) {
    if (unit == u'\\' || unit == u'{' || unit == u'}') {
      out += '\\';
      out += static_cast<char>(unit);
    } else if (unit == u'\t') {
      out += "\\tab ";
    } else if (unit == u'\r' || unit == u'\n') {
      // Entry lines carry no line breaks; a stray one must not split the paragraph.
    } else if (unit >= 0x20 && unit < 0x80) {
      out += static_cast<char>(unit);
    } else {
      out += "\\u";
      out += std::to_string(static_cast<int16_t>(unit));
      out += '?';
    }
  }
}

}  // namespace

std::string BuildRazozaRtf(const std::vector<std::string>& lines) {
  std::string out =
      "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041\r\n"
      "{\\fonttbl{\\f0\\fnil\\fcharset128 ";
  out += HexEscapedCp932(kFontName);
  out += "{\\*\\falt MS Mincho};}}\r\n\\uc1\\pard\\plain\\f0\\fs21\\lang1041\\langfe1041\r\n";
  for (const std::string& line : lines) {
    AppendRtfText(out, line);
    out += "\\par\r\n";
  }
  out += "}\r\n";
  return out;
}

std::string BuildRazozaText(const std::vector<std::string>& lines, bool* utf8_fallback) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  bool representable = true;
  std::string encoded = EncodeCp932(text, &representable);
  if (utf8_fallback != nullptr) *utf8_fallback = !representable;
  if (representable) return encoded;
  return "\xEF\xBB\xBF" + text;
}

Status WriteRazozaDoc(const std::string& path, const std::vector<std::string>& lines) {
  return WriteFileAtomic(path, BuildRazozaRtf(lines));
}

Status WriteRazozaTxt(const std::string& path, const std::vector<std::string>& lines) {
  return WriteFileAtomic(path, BuildRazozaText(lines));
}

}  // namespace mirune
