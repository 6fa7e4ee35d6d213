#pragma once

// The two text results of an extraction, built from the entry lines (term TAB reading TAB
// page, no line breaks inside a line):
// - Razoza.doc: RTF content (Word and LibreOffice open it whatever the extension): code page
//   932 header, the font "ＭＳ 明朝", one paragraph per line, TAB as a tab, every non-ASCII
//   character as \uN? so nothing depends on a code page.
// - Razoza.txt: the lines each ending in CR LF, in code page 932 as Word saves plain text on
//   Japanese Windows; when a character has no code page 932 code, the whole file is UTF-8
//   with a byte-order mark instead, so nothing is lost.
// Both are written atomically (temporary file, then rename).

#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace mirune {

std::string BuildRazozaRtf(const std::vector<std::string>& lines);

// `utf8_fallback`, when given, tells whether the UTF-8 form was chosen.
std::string BuildRazozaText(const std::vector<std::string>& lines, bool* utf8_fallback = nullptr);

Status WriteRazozaDoc(const std::string& path, const std::vector<std::string>& lines);
Status WriteRazozaTxt(const std::string& path, const std::vector<std::string>& lines);

}  // namespace mirune
