#include "analysis/whole_term_dictionary.h"

#include <algorithm>

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

// FNV-1a: quick on the short texts looked up, and the same in both builds.
uint64_t HashOf(std::string_view text) {
  uint64_t h = 14695981039346656037ull;
  for (char c : text) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  return h;
}

std::pair<size_t, size_t> FilterBits(uint64_t h) {
  return {h & (kFilterBits - 1), (h >> 40) & (kFilterBits - 1)};
}

// The first and the last character of a UTF-8 text (the text is not empty).
std::pair<char32_t, char32_t> EndsOf(std::string_view text) {
  size_t pos = 0;
  const char32_t first = DecodeUtf8(text, pos);
  size_t last_start = text.size() - 1;
  while (last_start > 0 && (static_cast<unsigned char>(text[last_start]) & 0xC0) == 0x80) {
    --last_start;
  }
  pos = last_start;
  return {first, DecodeUtf8(text, pos)};
}

bool HasBit(const std::vector<uint64_t>& bits, char32_t c) {
  return c > 0xFFFF || (bits[c / 64] >> (c % 64) & 1);
}

void SetBit(std::vector<uint64_t>& bits, char32_t c) {
  if (c <= 0xFFFF) bits[c / 64] |= uint64_t{1} << (c % 64);
}

}  // namespace

void WholeTermDictionary::Remember(std::string_view term) {
  if (filter_.empty()) {
    filter_.assign(kFilterBits / 64, 0);
    first_chars_.assign(0x10000 / 64, 0);
    last_chars_.assign(0x10000 / 64, 0);
  }
  const auto [first, last] = EndsOf(term);
  SetBit(first_chars_, first);
  SetBit(last_chars_, last);
  const auto [a, b] = FilterBits(HashOf(term));
  filter_[a / 64] |= uint64_t{1} << (a % 64);
  filter_[b / 64] |= uint64_t{1} << (b % 64);
}

bool WholeTermDictionary::MayContain(std::string_view term) const {
  if (filter_.empty() || term.empty()) return false;
  const auto [first, last] = EndsOf(term);
  if (!HasBit(first_chars_, first) || !HasBit(last_chars_, last)) return false;
  const auto [a, b] = FilterBits(HashOf(term));
  return (filter_[a / 64] >> (a % 64) & 1) && (filter_[b / 64] >> (b % 64) & 1);
}

const WholeTermDictionary::Term* WholeTermDictionary::Find(std::string_view term) const {
  if (slots_.empty() || !MayContain(term)) return nullptr;
  const size_t mask = slots_.size() - 1;
  for (size_t i = HashOf(term) >> 3 & mask; slots_[i] != 0; i = (i + 1) & mask) {
    const Term& t = terms_[slots_[i] - 1];
    if (t.text == term) return &t;
  }
  return nullptr;
}

bool WholeTermDictionary::Contains(std::string_view term) const { return Find(term) != nullptr; }

bool WholeTermDictionary::Lists(std::string_view term, std::string_view reading) const {
  const Term* t = Find(term);
  if (!t) return false;
  for (uint32_t r = t->first; r != kEnd; r = readings_[r].next) {
    if (readings_[r].text == reading) return true;
  }
  return false;
}

void WholeTermDictionary::Grow() {
  size_t size = slots_.empty() ? 1024 : slots_.size() * 2;
  while (size < std::max(terms_.size(), terms_.capacity()) * 2 + 2) size *= 2;
  slots_.assign(size, 0);
  const size_t mask = size - 1;
  for (size_t k = 0; k < terms_.size(); ++k) {
    size_t i = HashOf(terms_[k].text) >> 3 & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = static_cast<uint32_t>(k + 1);
  }
}

void WholeTermDictionary::Add(std::string_view term, std::string_view reading) {
  const auto index = static_cast<uint32_t>(readings_.size());
  if ((terms_.size() + 1) * 2 > slots_.size()) Grow();
  const size_t mask = slots_.size() - 1;
  size_t i = HashOf(term) >> 3 & mask;
  for (; slots_[i] != 0; i = (i + 1) & mask) {
    Term& t = terms_[slots_[i] - 1];
    if (t.text != term) continue;
    // Each reading once per term: a file lists a term's readings on lines of their own, so a
    // repeat can only follow the term's last reading.
    if (readings_[t.last].text == reading) return;
    readings_[t.last].next = index;
    t.last = index;
    readings_.push_back({reading, kEnd});
    return;
  }
  terms_.push_back({term, index, index});
  slots_[i] = static_cast<uint32_t>(terms_.size());
  Remember(term);
  readings_.push_back({reading, kEnd});
  if (term.size() > longest_term_bytes_) longest_term_bytes_ = term.size();
}

std::vector<std::string_view> WholeTermDictionary::Readings(std::string_view term) const {
  std::vector<std::string_view> out;
  const Term* t = Find(term);
  if (!t) return out;
  for (uint32_t r = t->first; r != kEnd; r = readings_[r].next) out.push_back(readings_[r].text);
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
  d->terms_.reserve(bytes.size() / 24);
  d->Grow();  // sized for the terms expected, so loading rehashes rarely

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
      if (!AppendDecodedEucJp(line, d->arena_)) {
        if (bad_lines++ == 0) first_bad_line = lines;
        continue;
      }
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
  if (d->terms_.empty()) {
    return Error{ErrorCode::kFormatError,
                 "読みの辞書に SKK 形式の見出し（okuri-nasi entries）がありません: " + path};
  }
  return d;
}

}  // namespace mirune
