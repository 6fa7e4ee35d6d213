#include "automation/excel_engine/ja_collator.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>

#include "base/cp932.h"
#include "base/utf.h"

namespace mirune {
namespace {

// Primary classes, the first byte of each primary weight.
enum Class : uint8_t {
  kSymbol = 0x10,
  kDigit = 0x20,
  kLatin = 0x30,
  kKana = 0x40,
  kJisKanji = 0x50,
  kOtherKanji = 0x60,
  kOtherScript = 0x70,
};

// The bytes of a primary weight's value, fixed for each class: two keys that agree up to an
// element agree on where the next one starts, so byte order stays weight order.
constexpr int ValueBytes(uint8_t klass) {
  switch (klass) {
    case kDigit:
    case kLatin:
    case kKana:
      return 1;
    case kJisKanji:
      return 2;
    default:
      return 3;  // code points
  }
}

// Secondary weights.
constexpr uint8_t kPlain = 0x05, kVoiced = 0x06, kSemiVoiced = 0x07, kAccented = 0x06;
// Tertiary weights.
constexpr uint8_t kLongMark = 0x04, kSmall = 0x05, kIteration = 0x06, kRegular = 0x07,
                  kUpper = 0x08;
// Quaternary weights.
constexpr uint8_t kHiragana = 0x05, kKatakana = 0x06, kHalfWidth = 0x07;
constexpr uint8_t kNarrow = 0x05, kFullWidth = 0x06;

// Ends each level in a key; below every weight byte that can start a weight, so a text sorts
// before the texts it is a prefix of, and a level decides before the next one starts.
constexpr char kLevelEnd = 0x01;

// Gojūon ranks of the full-size kana: あ 0 … お 4, か 5 … こ 9, さ 10, た 15, な 20, は 25,
// ま 30, や 35 ゆ 36 よ 37, ら 38 … ろ 42, わ 43 ゐ 44 ゑ 45 を 46, ん 47.
constexpr uint8_t kRankN = 47;

// A kana's rank and form: voicing (0 plain, 1 voiced, 2 semi-voiced) and smallness.
struct KanaForm {
  uint8_t rank;
  uint8_t voicing;
  bool small;
};

constexpr KanaForm P(uint8_t rank) { return {rank, 0, false}; }
constexpr KanaForm V(uint8_t rank) { return {rank, 1, false}; }
constexpr KanaForm H(uint8_t rank) { return {rank, 2, false}; }
constexpr KanaForm S(uint8_t rank) { return {rank, 0, true}; }

// U+3041 ぁ … U+3096 ゖ; katakana U+30A1 … U+30F6 are these plus 0x60.
constexpr KanaForm kHiraganaForms[] = {
    S(0),  P(0),  S(1),  P(1),  S(2),  P(2),      S(3),  P(3),  S(4),  P(4),   // ぁ … お
    P(5),  V(5),  P(6),  V(6),  P(7),  V(7),      P(8),  V(8),  P(9),  V(9),   // か … ご
    P(10), V(10), P(11), V(11), P(12), V(12),     P(13), V(13), P(14), V(14),  // さ … ぞ
    P(15), V(15), P(16), V(16), S(17), P(17),     V(17), P(18), V(18), P(19),  // た … と
    V(19),                                                                     // ど
    P(20), P(21), P(22), P(23), P(24),                                         // な … の
    P(25), V(25), H(25), P(26), V(26), H(26),     P(27), V(27), H(27),         // は … ぷ
    P(28), V(28), H(28), P(29), V(29), H(29),                                  // へ … ぽ
    P(30), P(31), P(32), P(33), P(34),                                         // ま … も
    S(35), P(35), S(36), P(36), S(37), P(37),                                  // ゃ … よ
    P(38), P(39), P(40), P(41), P(42),                                         // ら … ろ
    S(43), P(43), P(44), P(45), P(46), P(kRankN),                              // ゎ … ん
    V(2),  S(5),  S(8),                                                        // ゔ ゕ ゖ
};
static_assert(sizeof(kHiraganaForms) / sizeof(kHiraganaForms[0]) == 0x3096 - 0x3041 + 1);

// U+31F0 ㇰ … U+31FF ㇿ: small katakana of く し す と ぬ は ひ ふ へ ほ む ら り る れ ろ.
constexpr uint8_t kSmallKatakanaRanks[] = {7,  11, 12, 19, 22, 25, 26, 27,
                                           28, 29, 32, 38, 39, 40, 41, 42};

// U+FF66 ｦ … U+FF9D ﾝ as the full-width katakana they stand for (U+FF70 ｰ as ー).
constexpr char16_t kHalfWidthKatakana[] = {
    u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ', u'ョ', u'ッ', u'ー', u'ア',
    u'イ', u'ウ', u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ', u'サ', u'シ', u'ス',
    u'セ', u'ソ', u'タ', u'チ', u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ', u'ネ', u'ノ',
    u'ハ', u'ヒ', u'フ', u'ヘ', u'ホ', u'マ', u'ミ', u'ム', u'メ', u'モ', u'ヤ', u'ユ',
    u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ', u'ン'};
static_assert(sizeof(kHalfWidthKatakana) / sizeof(kHalfWidthKatakana[0]) == 0xFF9D - 0xFF66 + 1);

// U+00C0 … U+017F: the base letter of each Latin letter, '*' for the signs × and ÷, ' ' for
// letters with no base letter of their own (the ligature Ĳ).
constexpr char kLatinBase[] =
    "AAAAAAACEEEEIIIIDNOOOOO*OUUUUYTsaaaaaaaceeeeiiiidnooooo*ouuuuyty"   // U+00C0
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi  JjKkkLlLlLlLl"  // U+0100
    "LlNnNnNnnNnOoOoOoOoRrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";   // U+0141
static_assert(sizeof(kLatinBase) - 1 == 0x0180 - 0x00C0);

// One collation element: a weight on each level.
struct Element {
  uint8_t klass;
  uint32_t value;  // within the class; up to 24 bits
  uint8_t secondary = kPlain;
  uint8_t tertiary = kRegular;
  uint8_t quaternary = kNarrow;
};

std::optional<KanaForm> FullWidthKana(char32_t c, uint8_t* script) {
  if (c >= 0x3041 && c <= 0x3096) {
    *script = kHiragana;
    return kHiraganaForms[c - 0x3041];
  }
  if (c >= 0x30A1 && c <= 0x30F6) {
    *script = kKatakana;
    return kHiraganaForms[c - 0x30A1];
  }
  if (c >= 0x30F7 && c <= 0x30FA) {  // ヷ ヸ ヹ ヺ
    *script = kKatakana;
    return V(static_cast<uint8_t>(43 + (c - 0x30F7)));
  }
  if (c >= 0x31F0 && c <= 0x31FF) {
    *script = kKatakana;
    return S(kSmallKatakanaRanks[c - 0x31F0]);
  }
  return std::nullopt;
}

uint8_t Vowel(uint8_t rank) {
  if (rank < 35) return rank % 5;
  switch (rank) {
    case 35:
      return 0;  // や
    case 36:
      return 2;  // ゆ
    case 37:
      return 4;  // よ
    case 43:
      return 0;  // わ
    case 44:
      return 1;  // ゐ
    case 45:
      return 3;  // ゑ
    case 46:
      return 4;  // を
    default:
      return static_cast<uint8_t>((rank - 38) % 5);  // ら … ろ
  }
}

bool CanBeVoiced(uint8_t rank) {
  return rank == 2 || (rank >= 5 && rank <= 19) || (rank >= 25 && rank <= 29) ||
         (rank >= 43 && rank <= 46);
}

bool IsIdeograph(char32_t c) {
  return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3FFFF);
}

bool IsSymbol(char32_t c) {
  return c < 0x0180 || (c >= 0x02B0 && c <= 0x036F) || (c >= 0x2000 && c <= 0x2BFF) ||
         (c >= 0x2E00 && c <= 0x2E7F) || (c >= 0x3000 && c <= 0x303F) ||
         (c >= 0x3099 && c <= 0x30A0) || c == 0x30FB || c == 0x30FC || c == 0x30FD || c == 0x30FE ||
         (c >= 0x3200 && c <= 0x33FF) || (c >= 0xFE10 && c <= 0xFE6F) ||
         (c >= 0xFF01 && c <= 0xFF65) || (c >= 0xFF9E && c <= 0xFF9F) ||
         (c >= 0xFFE0 && c <= 0xFFEE) || (c >= 0x1F000 && c <= 0x1FAFF);
}

// The ASCII or CJK form of a full- or half-width sign (0 when it has none).
char32_t FoldSymbol(char32_t c) {
  if (c >= 0xFF01 && c <= 0xFF5E) return c - 0xFEE0;
  switch (c) {
    case 0x3000:
      return 0x20;
    case 0xFF61:
      return 0x3002;  // ｡
    case 0xFF62:
      return 0x300C;  // ｢
    case 0xFF63:
      return 0x300D;  // ｣
    case 0xFF64:
      return 0x3001;  // ､
    case 0xFF65:
      return 0x30FB;  // ･
    case 0xFF9E:
      return 0x309B;  // ﾞ
    case 0xFF9F:
      return 0x309C;  // ﾟ
    case 0xFFE0:
      return 0xA2;
    case 0xFFE1:
      return 0xA3;
    case 0xFFE2:
      return 0xAC;
    case 0xFFE3:
      return 0xAF;
    case 0xFFE4:
      return 0xA6;
    case 0xFFE5:
      return 0xA5;
    case 0xFFE6:
      return 0x20A9;
    default:
      return 0;
  }
}

Element SymbolElement(char32_t c) {
  if (const char32_t folded = FoldSymbol(c)) {
    // A half-width kana sign comes after its CJK form, a full-width sign after its ASCII one.
    const bool half_width = c >= 0xFF61 && c <= 0xFF9F;
    return {kSymbol, folded, kPlain, kRegular, half_width ? kHalfWidth : kFullWidth};
  }
  return {kSymbol, c};
}

// Turns a text into collation elements and writes each level of its key as it goes. Long-vowel
// and iteration marks look at the element before them; a voiced sound mark may change it.
class KeyBuilder {
 public:
  explicit KeyBuilder(std::string_view text) : capacity_(text.size()) {
    // A text of n bytes gives at most n elements: each level gets room for n weights.
    if (capacity_ > kSmallText) {
      large_ = std::make_unique<char[]>(capacity_ * kBytesPerElement);
      buffer_ = large_.get();
    }
    size_t pos = 0;
    while (pos < text.size()) Add(DecodeUtf8(text, pos));
  }
  KeyBuilder(const KeyBuilder&) = delete;
  KeyBuilder& operator=(const KeyBuilder&) = delete;

  std::string Finish() const {
    std::string key(primary_size_ + 3 + 3 * count_, kLevelEnd);
    char* out = key.data();
    std::memcpy(out, buffer_, primary_size_);
    out += primary_size_ + 1;
    for (size_t level = 0; level < 3; ++level) {
      std::memcpy(out, Level(level), count_);
      out += count_ + 1;
    }
    return key;
  }

 private:
  static constexpr size_t kSmallText = 64;
  static constexpr size_t kBytesPerElement = 7;  // up to 4 primary, 1 each further level

  // The secondary (0), tertiary (1) and quaternary (2) weights, after room for the primary.
  char* Level(size_t level) const { return buffer_ + capacity_ * (4 + level); }

  void Push(const Element& x) {
    char* p = buffer_ + primary_size_;
    *p++ = static_cast<char>(x.klass);
    const int bytes = ValueBytes(x.klass);
    if (bytes == 3) *p++ = static_cast<char>(x.value >> 16);
    if (bytes >= 2) *p++ = static_cast<char>(x.value >> 8);
    *p++ = static_cast<char>(x.value);
    primary_size_ = static_cast<size_t>(p - buffer_);
    Level(0)[count_] = static_cast<char>(x.secondary);
    Level(1)[count_] = static_cast<char>(x.tertiary);
    Level(2)[count_] = static_cast<char>(x.quaternary);
    ++count_;
    last_ = x;
  }

  const Element* LastKana() const { return last_ && last_->klass == kKana ? &*last_ : nullptr; }

  void AddKana(const KanaForm& form, uint8_t script) {
    const uint8_t secondary =
        form.voicing == 2 ? kSemiVoiced : (form.voicing == 1 ? kVoiced : kPlain);
    Push({kKana, form.rank, secondary, form.small ? kSmall : kRegular, script});
  }

  void AddLongMark(uint8_t script) {
    const Element* last = LastKana();
    if (last == nullptr || last->value == kRankN) {
      Push({kSymbol, 0x30FC, kPlain, kRegular, script});
      return;
    }
    Push({kKana, Vowel(static_cast<uint8_t>(last->value)), kPlain, kLongMark, script});
  }

  void AddIterationMark(char32_t c, bool voiced, uint8_t script) {
    const Element* last = LastKana();
    if (last == nullptr) {
      Push(SymbolElement(c));
      return;
    }
    Push({kKana, last->value, voiced ? kVoiced : kPlain, kIteration, script});
  }

  // A combining or half-width (semi-)voiced sound mark: joins a plain kana before it that can
  // take it, and stands alone otherwise.
  void AddSoundMark(char32_t c, bool semi) {
    if (last_) {
      Element& last = *last_;
      const bool can = last.klass == kKana && last.secondary == kPlain && last.tertiary != kSmall &&
                       last.tertiary != kLongMark &&
                       (semi ? last.value >= 25 && last.value <= 29
                             : CanBeVoiced(static_cast<uint8_t>(last.value)));
      if (can) {
        last.secondary = semi ? kSemiVoiced : kVoiced;
        Level(0)[count_ - 1] = static_cast<char>(last.secondary);
        return;
      }
    }
    Push(SymbolElement(c));
  }

  void Add(char32_t c) {
    uint8_t script = kHiragana;
    if (const auto form = FullWidthKana(c, &script)) return AddKana(*form, script);
    if (c >= 0xFF66 && c <= 0xFF9D) {
      const char32_t full = kHalfWidthKatakana[c - 0xFF66];
      if (full == U'ー') return AddLongMark(kHalfWidth);
      return AddKana(*FullWidthKana(full, &script), kHalfWidth);
    }
    switch (c) {
      case 0x30FC:
        return AddLongMark(kKatakana);
      case 0x309D:
        return AddIterationMark(c, false, kHiragana);  // ゝ
      case 0x309E:
        return AddIterationMark(c, true, kHiragana);  // ゞ
      case 0x30FD:
        return AddIterationMark(c, false, kKatakana);  // ヽ
      case 0x30FE:
        return AddIterationMark(c, true, kKatakana);  // ヾ
      case 0x3099:
      case 0xFF9E:
        return AddSoundMark(c, false);
      case 0x309A:
      case 0xFF9F:
        return AddSoundMark(c, true);
      default:
        break;
    }
    if (c >= '0' && c <= '9') return Push({kDigit, c - '0'});
    if (c >= 0xFF10 && c <= 0xFF19) {
      return Push({kDigit, c - 0xFF10, kPlain, kRegular, kFullWidth});
    }
    if (c >= 'a' && c <= 'z') return Push({kLatin, c - 'a'});
    if (c >= 'A' && c <= 'Z') return Push({kLatin, c - 'A', kPlain, kUpper});
    if (c >= 0xFF41 && c <= 0xFF5A) {
      return Push({kLatin, c - 0xFF41, kPlain, kRegular, kFullWidth});
    }
    if (c >= 0xFF21 && c <= 0xFF3A) {
      return Push({kLatin, c - 0xFF21, kPlain, kUpper, kFullWidth});
    }
    if (c >= 0x00C0 && c < 0x0180) {
      const char base = kLatinBase[c - 0x00C0];
      if (base >= 'a' && base <= 'z') {
        return Push({kLatin, static_cast<uint32_t>(base - 'a'), kAccented});
      }
      if (base >= 'A' && base <= 'Z') {
        return Push({kLatin, static_cast<uint32_t>(base - 'A'), kAccented, kUpper});
      }
      if (base == '*') return Push(SymbolElement(c));
      return Push({kOtherScript, c});
    }
    if (IsIdeograph(c)) {
      // JIS X 0208 kanji occupy 889F–9872 (level 1) and 989F–EAA4 (level 2) in code page 932.
      const auto code = Cp932Code(c);
      if (code && *code >= 0x889F && *code <= 0xEAA4) return Push({kJisKanji, *code});
      return Push({kOtherKanji, c});
    }
    if (IsSymbol(c)) return Push(SymbolElement(c));
    Push({kOtherScript, c});
  }

  const size_t capacity_;  // elements each level has room for
  char small_[kSmallText * kBytesPerElement];
  std::unique_ptr<char[]> large_;
  char* buffer_ = small_;
  size_t primary_size_ = 0;
  size_t count_ = 0;
  std::optional<Element> last_;
};

}  // namespace

char32_t LeadingKanaBase(std::string_view text) {
  if (text.empty()) return 0;
  size_t pos = 0;
  char32_t c = DecodeUtf8(text, pos);
  if (c >= 0xFF66 && c <= 0xFF9D) {
    c = kHalfWidthKatakana[c - 0xFF66];
    if (c == u'ー') return 0;
  }
  uint8_t script = 0;
  const std::optional<KanaForm> form = FullWidthKana(c, &script);
  if (!form) return 0;
  // Ranks in gojūon order: あ … ん (ゐ ゑ keep their own letters).
  static constexpr char32_t kPlainOfRank[] =
      U"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわゐ"
      U"ゑをん";
  static_assert(sizeof(kPlainOfRank) / sizeof(kPlainOfRank[0]) == kRankN + 2);
  return kPlainOfRank[form->rank];
}

std::string JaSortKey(std::string_view text) {
  const KeyBuilder builder(text);
  return builder.Finish();
}

int JaCompare(std::string_view a, std::string_view b) {
  const int c = JaSortKey(a).compare(JaSortKey(b));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace mirune
