#include "analysis/phonetic.h"

#include "analysis/char_class.h"
#include "base/utf.h"

#include <utility>

namespace mirune {
namespace {

enum class Script { kSpace, kKanji, kHiragana, kKatakana, kAlnum, kOther };

Script ScriptOf(char32_t c) {
  if (c == U' ' || c == U'\t' || c == U'\u3000') return Script::kSpace;
  if (c >= U'ぁ' && c <= U'ゟ') return Script::kHiragana;
  if ((c >= U'ァ' && c <= U'ヿ') || (c >= U'ｦ' && c <= U'ﾟ')) return Script::kKatakana;
  if ((c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') ||
      (c >= U'０' && c <= U'９') || (c >= U'Ａ' && c <= U'Ｚ') || (c >= U'ａ' && c <= U'ｚ')) {
    return Script::kAlnum;
  }
  if (CountsAsKanji(c) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF)) {
    return Script::kKanji;
  }
  return Script::kOther;
}

}  // namespace

Result<std::vector<std::string>> ScriptWordDivider::DivideWords(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  Script current = Script::kSpace;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t start = pos;
    const char32_t c = DecodeUtf8(text, pos);
    const Script s = ScriptOf(c);
    // Spaces stay with the word before them; a script change or a symbol starts a new word.
    const bool joins = s == Script::kSpace || (s == current && s != Script::kOther);
    if (!joins && !word.empty()) {
      words.push_back(std::move(word));
      word.clear();
    }
    word.append(text.substr(start, pos - start));
    current = s;
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

Result<JobReadings> OpenJobReadings(const ReadingServiceOptions& options) {
  JobReadings readings;
  auto opened = OpenSystemReadings(options);
  if (opened.ok()) {
    readings.service = std::move(*opened);
  } else if (opened.code() == ErrorCode::kUnsupported && options.user_dictionary.empty()) {
    readings.service = std::make_unique<WrittenFormReadings>();
    readings.written_form = true;
  } else {
    return opened.error();
  }
  return readings;
}

}  // namespace mirune
