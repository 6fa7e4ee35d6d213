#include "analysis/whole_term_dictionary.h"

#include "analysis/char_class.h"
#include "base/euc_jp.h"
#include "base/file.h"
#include "base/utf.h"

namespace mirune {
namespace {

// The largest dictionary read: SKK-JISYO.L is 4.5 MB; a combined dictionary stays far below.
constexpr uint64_t kMaxDictionaryBytes = uint64_t{256} << 20;

// Hiragana and ー, and the katakana ヴ ヵ ヶ that stand for ゔ ゕ ゖ.
bool IsKeyCharacter(char32_t c) {
  return (c >= U'ぁ' && c <= U'ゖ') || c == U'ー' || (c >= U'ヴ' && c <= U'ヶ');
}

bool IsKanaKey(std::string_view key) {
  if (key.empty()) return false;
  size_t pos = 0;
  while (pos < key.size()) {
    if (!IsKeyCharacter(DecodeUtf8(key, pos))) return false;
  }
  return true;
}

bool HoldsKanji(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    if (CountsAsKanji(DecodeUtf8(text, pos))) return true;
  }
  return false;
}

bool MarksMisreading(std::string_view annotation) {
  return annotation.find("誤読") != std::string_view::npos ||
         annotation.find("誤用") != std::string_view::npos ||
         annotation.find("の誤り") != std::string_view::npos;
}

// ゔ ゕ ゖ (U+3094–3096, E3 82 94–96) to ヴ ヵ ヶ (U+30F4–30F6, E3 83 B4–B6), in place: the
// same three bytes long.
void KeepKatakanaWithoutHiragana(char* text, size_t size) {
  for (size_t i = 0; i + 2 < size; ++i) {
    if (static_cast<unsigned char>(text[i]) == 0xE3 &&
        static_cast<unsigned char>(text[i + 1]) == 0x82) {
      const auto third = static_cast<unsigned char>(text[i + 2]);
      if (third >= 0x94 && third <= 0x96) {
        text[i + 1] = static_cast<char>(0x83);
        text[i + 2] = static_cast<char>(third - 0x94 + 0xB4);
      }
    }
  }
}

}  // namespace

namespace {

constexpr size_t kFilterBits = size_t{1} << 22;  // 512 KiB: a few false hits in a thousand

std::pair<size_t, size_t> FilterBits(std::string_view term) {
  const uint64_t h = std::hash<std::string_view>()(term);
  return {h & (kFilterBits - 1), (h >> 32) & (kFilterBits - 1)};
}

}  // namespace

void WholeTermDictionary::Remember(std::string_view term) {
  if (filter_.empty()) filter_.assign(kFilterBits / 64, 0);
  const auto [a, b] = FilterBits(term);
  filter_[a / 64] |= uint64_t{1} << (a % 64);
  filter_[b / 64] |= uint64_t{1} << (b % 64);
}

bool WholeTermDictionary::MayContain(std::string_view term) const {
  if (filter_.empty()) return false;
  const auto [a, b] = FilterBits(term);
  return (filter_[a / 64] >> (a % 64) & 1) && (filter_[b / 64] >> (b % 64) & 1);
}

bool WholeTermDictionary::Contains(std::string_view term) const {
  return MayContain(term) && heads_.count(term) != 0;
}

void WholeTermDictionary::Add(std::string_view term, std::string_view reading) {
  const auto index = static_cast<uint32_t>(readings_.size());
  auto [it, inserted] = heads_.try_emplace(term, Chain{index, index});
  if (inserted) {
    Remember(term);
  } else {
    // Each reading once per term.
    for (uint32_t i = it->second.first; i != kEnd; i = readings_[i].next) {
      if (readings_[i].text == reading) return;
    }
    readings_[it->second.last].next = index;
    it->second.last = index;
  }
  readings_.push_back({reading, kEnd});
  if (term.size() > longest_term_bytes_) longest_term_bytes_ = term.size();
}

std::vector<std::string_view> WholeTermDictionary::Readings(std::string_view term) const {
  std::vector<std::string_view> out;
  if (!MayContain(term)) return out;
  const auto it = heads_.find(term);
  if (it == heads_.end()) return out;
  for (uint32_t i = it->second.first; i != kEnd; i = readings_[i].next) {
    out.push_back(readings_[i].text);
  }
  return out;
}

std::unique_ptr<WholeTermDictionary> WholeTermDictionary::FromEntries(
    const std::vector<std::pair<std::string, std::string>>& entries) {
  std::unique_ptr<WholeTermDictionary> d(new WholeTermDictionary());
  size_t total = 0;
  for (const auto& [term, reading] : entries) total += term.size() + reading.size();
  d->arena_.reserve(total);
  for (const auto& [term, reading] : entries) {
    const size_t at = d->arena_.size();
    d->arena_ += term;
    d->arena_ += reading;
    const std::string_view view(d->arena_);
    d->Add(view.substr(at, term.size()), view.substr(at + term.size(), reading.size()));
  }
  return d;
}

Result<std::unique_ptr<WholeTermDictionary>> WholeTermDictionary::LoadSkk(const std::string& path) {
  if (!FileExists(path)) {
    return Error{ErrorCode::kNotFound, "読みの辞書が見つかりません: " + path};
  }
  auto bytes = ReadFileBytes(path, kMaxDictionaryBytes);
  if (!bytes.ok()) {
    return Error{bytes.code(), "読みの辞書を読めません: " + path + "（" + bytes.message() + "）"};
  }
  return ParseSkk(path, *bytes);
}

Result<std::unique_ptr<WholeTermDictionary>> WholeTermDictionary::ParseSkk(const std::string& path,
                                                                           std::string_view bytes) {
  std::unique_ptr<WholeTermDictionary> d(new WholeTermDictionary());
  d->path_ = path;
  // EUC-JP grows by half at most in UTF-8: the arena never moves, so the views stay valid.
  d->arena_.reserve(bytes.size() / 2 * 3 + 16);
  d->readings_.reserve(bytes.size() / 12);
  d->heads_.reserve(bytes.size() / 24);

  const std::string_view text(bytes);
  const size_t first_end = text.find('\n');
  const bool utf8 = text.substr(0, first_end).find("coding: utf-8") != std::string_view::npos;
  bool okuri_nasi = false;
  size_t lines = 0;
  size_t bad_lines = 0;
  size_t first_bad_line = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lines;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    if (line[0] == ';') {
      if (line.find("okuri-nasi entries") != std::string_view::npos) okuri_nasi = true;
      if (line.find("okuri-ari entries") != std::string_view::npos) okuri_nasi = false;
      continue;
    }
    if (!okuri_nasi) continue;
    const size_t at = d->arena_.size();
    if (utf8) {
      if (!IsValidUtf8(line)) {
        if (bad_lines++ == 0) first_bad_line = lines;
        continue;
      }
      d->arena_ += line;
    } else {
      const std::optional<std::string> decoded = DecodeEucJp(line);
      if (!decoded) {
        if (bad_lines++ == 0) first_bad_line = lines;
        continue;
      }
      d->arena_ += *decoded;
    }
    KeepKatakanaWithoutHiragana(d->arena_.data() + at, d->arena_.size() - at);
    const std::string_view entry = std::string_view(d->arena_).substr(at);
    const size_t space = entry.find(" /");
    if (space == std::string_view::npos) continue;
    const std::string_view key = entry.substr(0, space);
    if (!IsKanaKey(key)) continue;
    for (size_t c = space + 2; c < entry.size();) {
      size_t slash = entry.find('/', c);
      if (slash == std::string_view::npos) slash = entry.size();
      std::string_view candidate = entry.substr(c, slash - c);
      c = slash + 1;
      std::string_view annotation;
      if (const size_t semi = candidate.find(';'); semi != std::string_view::npos) {
        annotation = candidate.substr(semi + 1);
        candidate = candidate.substr(0, semi);
      }
      if (candidate.empty() || candidate[0] == '(' || MarksMisreading(annotation)) continue;
      if (!HoldsKanji(candidate)) continue;
      d->Add(candidate, key);
    }
  }
  if (bad_lines * 100 > lines) {
    return Error{ErrorCode::kFormatError, std::string("読みの辞書が壊れています（") +
                                              (utf8 ? "UTF-8" : "EUC-JP") + " として読めない行が " +
                                              std::to_string(bad_lines) + " 行あります。最初は " +
                                              std::to_string(first_bad_line) + " 行目）: " + path};
  }
  if (d->heads_.empty()) {
    return Error{ErrorCode::kFormatError,
                 "読みの辞書に SKK 形式の見出し（okuri-nasi entries）がありません: " + path};
  }
  return d;
}

}  // namespace mirune
