#include "extraction/page_marking.h"

#include <cstdlib>

#include "base/cp932.h"
#include "base/utf.h"

namespace mirune {
namespace {

// Characters read per host call when looking for a frame's last character: enough for the
// usual frame end (a return, perhaps a few control characters), doubled when all were
// passed over.
constexpr int32_t kFirstTailLength = 8;

}  // namespace

std::string FormatPageName(std::string_view name) {
  // Only a name of digits is a page number to pad: a sign is part of the name ("-3" is a page
  // name as written, never "-0003").
  if (name.empty()) return std::string(name);
  for (const char c : name) {
    if (c < '0' || c > '9') return std::string(name);
  }
  std::string digits(name);
  // Leading zeros of the name itself go, as a number format would drop them.
  const size_t nonzero = digits.find_first_not_of('0');
  digits = nonzero == std::string::npos ? "0" : digits.substr(nonzero);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
  return digits;
}

std::string PageMarker(std::string_view page_name) {
  return "◆♭♪" + FormatPageName(page_name) + "♪♭◆";
}

bool IsSkippedControl(std::string_view contents) {
  if (contents.empty()) return true;
  if (contents == "\t" || contents == "\r" || contents == "\r\n" || contents == "\n") {
    return false;
  }
  size_t pos = 0;
  const char32_t first = DecodeUtf8(contents, pos);
  const uint16_t code = Cp932Code(first).value_or(static_cast<uint16_t>('?'));
  return code < 0x20;
}

indesign::TextProperty WritePropertyForVersion(std::string_view version) {
  const std::string text(version);
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  const bool numeric = end != text.c_str() && *end == '\0';
  return numeric && value == 2.0 ? indesign::TextProperty::kTextContents
                                 : indesign::TextProperty::kContents;
}

Status MarkFrame(indesign::TextFrame& frame, std::string_view marker,
                 indesign::TextProperty property) {
  int32_t want = kFirstTailLength;
  for (;;) {
    MIRUNE_ASSIGN_OR_RETURN(const indesign::TextTail tail, frame.ReadTail(want));
    if (tail.count == 0) return Status::Ok();
    const int32_t read = static_cast<int32_t>(tail.contents.size());
    for (int32_t i = read - 1; i >= 0; --i) {
      const std::string& c = tail.contents[static_cast<size_t>(i)];
      if (IsSkippedControl(c)) continue;
      const int32_t index = tail.count - (read - 1 - i);
      return frame.WriteCharacter(index, c + std::string(marker), property);
    }
    if (read >= tail.count) return Status::Ok();  // every character was passed over
    want = want > tail.count / 2 ? tail.count : want * 2;
  }
}

}  // namespace mirune
