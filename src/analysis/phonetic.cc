#include "analysis/phonetic.h"

#include <utility>

#include "analysis/char_class.h"
#include "analysis/reading_memory.h"
#include "analysis/reading_resolver.h"
#include "base/file.h"
#include "base/path.h"
#include "base/utf.h"

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
  if (CountsAsKanji(c)) {
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

namespace {

// Where the whole-term dictionary is looked for when no file is named.
std::vector<std::string> WholeTermDictionaryPlaces(const ReadingServiceOptions& options) {
  const std::string name(kWholeTermDictionaryName);
  std::vector<std::string> places;
  if (!options.dictionary_folder.empty())
    places.push_back(JoinPath(options.dictionary_folder, name));
  places.push_back(JoinPath(JoinPath(ProgramFolder(), "dic"), name));
#ifndef _WIN32
  places.push_back("/usr/share/skk/" + name);
#endif
  return places;
}

// The whole-term dictionary, or null with a notice when it cannot be used.
std::unique_ptr<WholeTermDictionary> OpenWholeTermDictionary(const ReadingServiceOptions& options,
                                                             std::vector<std::string>& notices) {
  if (options.without_whole_term_dictionary) return nullptr;
  std::string path = options.whole_term_dictionary;
  if (path.empty()) {
    const std::vector<std::string> places = WholeTermDictionaryPlaces(options);
    for (const std::string& place : places) {
      const Result<PathKind> kind = CheckInputPath(place);
      if (kind.ok() && *kind == PathKind::kFile) {
        path = place;
        break;
      }
      // Something of that name that cannot be read (a folder, a pipe, a device) is passed
      // over, and the user told why.
      if (kind.code() != ErrorCode::kNotFound) {
        notices.push_back("語句全体の読みの辞書 " + place + " を使いませんでした: " +
                          (kind.ok() ? place + " はフォルダーです" : kind.message()));
      }
    }
    if (path.empty()) {
      std::string list;
      for (const std::string& place : places) list += (list.empty() ? "" : "、") + place;
      notices.push_back("語句全体の読みの辞書 " + std::string(kWholeTermDictionaryName) +
                        " が見つからないため（探した場所: " + list +
                        "）、この辞書を使わずに読みを付けました。");
      return nullptr;
    }
  }
  auto loaded = WholeTermDictionary::LoadSkk(path);
  if (!loaded.ok()) {
    notices.push_back(loaded.message() + "。この辞書を使わずに読みを付けました。");
    return nullptr;
  }
  return std::move(*loaded);
}

}  // namespace

Result<JobReadings> OpenJobReadings(const ReadingServiceOptions& options) {
  JobReadings readings;
  std::unique_ptr<ReadingService> analysis;
  auto opened = OpenSystemReadings(options);
  if (opened.ok()) {
    analysis = std::move(*opened);
  } else if (opened.code() == ErrorCode::kUnsupported && options.user_dictionary.empty()) {
    analysis = std::make_unique<WrittenFormReadings>();
    readings.written_form = true;
  } else {
    return opened.error();
  }
  std::unique_ptr<WholeTermDictionary> dictionary =
      OpenWholeTermDictionary(options, readings.notices);
  LearnedReadingLookup learned;
  if (!options.reading_memory.empty()) {
    auto memory = ReadingMemory::Load(options.reading_memory);
    if (memory.ok()) {
      for (const std::string& warning : memory->warnings()) readings.notices.push_back(warning);
      if (memory->size() > 0) {
        auto shared = std::make_shared<const ReadingMemory>(std::move(*memory));
        learned = [shared](std::string_view term) { return shared->Find(term); };
      }
    } else {
      readings.notices.push_back(memory.message() + "。学習した読みを使わずに読みを付けました。");
    }
  }
  readings.service = std::make_unique<ReadingResolver>(std::move(analysis), std::move(dictionary),
                                                       std::move(learned));
  return readings;
}

}  // namespace mirune
