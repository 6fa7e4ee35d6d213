#include "analysis/mecab_phonetic.h"

#include <mecab.h>

#include <cstring>
#include <exception>
#include <iterator>
#include <utility>

#include "base/file.h"
#include "base/little_endian.h"
#include "base/path.h"
#include "base/utf.h"
#ifdef _WIN32
#include "base/wide_path.h"
#include "base/wide_text.h"
#endif

namespace mirune {
namespace {

// The dictionary beside the program comes first: the Windows program ships the IPA dictionary
// in its folder "dic"; on Linux the folder is usually absent.
constexpr const char* kProgramDictionaryFolder = "dic";

// Where Debian and others install the UTF-8 IPA dictionary.
#ifndef _WIN32
constexpr const char* kIpadicFolders[] = {
    "/var/lib/mecab/dic/ipadic-utf8",  "/usr/lib/x86_64-linux-gnu/mecab/dic/ipadic-utf8",
    "/usr/lib/mecab/dic/ipadic-utf8",  "/usr/share/mecab/dic/ipadic",
    "/usr/local/lib/mecab/dic/ipadic",
};
#endif

// MeCab keeps a token's length in 16 bits; pieces are cut well below that.
constexpr size_t kMaxPieceBytes = 4096;

constexpr int kReadingField = 7;

// Field `index` of a CSV feature string ("名詞,一般,*,...,サクイン,サクイン"), quotes allowed.
std::string_view FeatureField(std::string_view feature, int index) {
  int field = 0;
  size_t i = 0;
  while (i <= feature.size()) {
    size_t end;
    std::string_view value;
    if (i < feature.size() && feature[i] == '"') {
      end = feature.find('"', i + 1);
      if (end == std::string_view::npos) return {};
      value = feature.substr(i + 1, end - i - 1);
      end = feature.find(',', end);
    } else {
      end = feature.find(',', i);
      value = feature.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i);
    }
    if (field == index) return value;
    if (end == std::string_view::npos) return {};
    ++field;
    i = end + 1;
  }
  return {};
}

// Spaces and control characters split the text before MeCab sees it (MeCab would drop
// them); they stay with the word before them.
bool IsSeparator(unsigned char c) { return c <= 0x20 || c == 0x7F; }

// Reads the header of a compiled MeCab dictionary: magic number and version.
Status CheckDictionaryFile(const std::string& path, const char* what) {
  if (!FileExists(path)) {
    return Status(ErrorCode::kNotFound, std::string(what) + "が見つかりません: " + path);
  }
  auto bytes = ReadFileBytes(path);
  if (!bytes.ok()) return bytes.status();
  constexpr uint32_t kMagic = 0xef718f77u;
  constexpr uint32_t kVersion = 102;
  auto u32 = [&](size_t at) { return ReadLe32(*bytes, at); };
  if (bytes->size() < 72 || (u32(0) ^ kMagic) != bytes->size() || u32(4) != kVersion) {
    return Status(ErrorCode::kFormatError,
                  std::string(what) + "がコンパイル済みの MeCab 辞書ではありません: " + path);
  }
  const std::string charset(bytes->data() + 40, strnlen(bytes->data() + 40, 32));
  if (charset != "utf-8" && charset != "UTF-8" && charset != "utf8" && charset != "UTF8") {
    // The field is named only when it is a readable name (EUC-JP, SHIFT-JIS): a damaged
    // header's bytes are no message.
    bool readable = !charset.empty();
    for (const char c : charset) {
      const bool name_char = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                             (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
      readable = readable && name_char;
    }
    if (!readable) {
      return Status(ErrorCode::kFormatError,
                    std::string(what) + "の見出しの文字コードの欄が読めません（辞書が壊れて" +
                        "いるか、MeCab の辞書ではありません）: " + path);
    }
    return Status(ErrorCode::kFormatError, std::string(what) + "の文字コードが " + charset +
                                               " で、UTF-8 ではありません: " + path);
  }
  return Status::Ok();
}

}  // namespace

struct MecabReadings::Impl {
  std::unique_ptr<MeCab::Model> model;
  std::unique_ptr<MeCab::Tagger> tagger;
  std::unique_ptr<MeCab::Lattice> lattice;
  // With a user dictionary: the system dictionary alone, to tell which words the user's own
  // dictionary gave.
  std::unique_ptr<MeCab::Model> system_model;
  std::unique_ptr<MeCab::Tagger> system_tagger;
  std::unique_ptr<MeCab::Lattice> system_lattice;

  // The words of the last division with their readings, so that the lookups of those
  // words that follow cost no second parse.
  std::vector<std::pair<std::string, std::string>> last_words;
  // The words of the last division that the user dictionary read.
  std::vector<std::string> last_user_words;
  // Set while the last division is parsed.
  std::vector<std::string>* user_words = nullptr;

  // Whether the system dictionary has `surface` with exactly `feature`: otherwise the entry came
  // from the user dictionary.
  bool SystemHas(std::string_view surface, const char* feature) {
    system_lattice->set_sentence(surface.data(), surface.size());
    if (!system_tagger->parse(system_lattice.get())) return false;
    for (const MeCab::Node* node = system_lattice->begin_nodes(0); node; node = node->bnext) {
      if (node->stat == MECAB_NOR_NODE && node->length == surface.size() && node->feature &&
          std::strcmp(node->feature, feature) == 0) {
        return true;
      }
    }
    return false;
  }

  // Parses `text` and appends (word, reading) pairs; separators go with the word before.
  Status Parse(std::string_view text, std::vector<std::pair<std::string, std::string>>& out) {
    size_t i = 0;
    while (i < text.size()) {
      const size_t sep_start = i;
      while (i < text.size() && IsSeparator(static_cast<unsigned char>(text[i]))) ++i;
      if (i > sep_start) {
        const std::string_view sep = text.substr(sep_start, i - sep_start);
        if (out.empty()) {
          out.emplace_back(sep, sep);
        } else {
          out.back().first.append(sep);
          out.back().second.append(sep);
        }
      }
      size_t end = i;
      while (end < text.size() && !IsSeparator(static_cast<unsigned char>(text[end])) &&
             end - i < kMaxPieceBytes) {
        ++end;
      }
      // Never cut inside a UTF-8 sequence.
      while (end < text.size() && end > i &&
             (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
      }
      if (end == i) {
        // A piece of continuation bytes alone (ill-formed text): take it as one word.
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
        if (end == i) break;
        out.emplace_back(text.substr(i, end - i), text.substr(i, end - i));
        i = end;
        continue;
      }
      MIRUNE_RETURN_IF_ERROR(ParsePiece(text.substr(i, end - i), out));
      i = end;
    }
    return Status::Ok();
  }

  Status ParsePiece(std::string_view piece, std::vector<std::pair<std::string, std::string>>& out) {
    lattice->set_sentence(piece.data(), piece.size());
    if (!tagger->parse(lattice.get())) {
      return Status(ErrorCode::kHostError,
                    "MeCab が語句「" + std::string(piece) + "」を単語に分けられませんでした。");
    }
    const char* const base = piece.data();
    size_t covered = 0;
    for (const MeCab::Node* node = lattice->bos_node(); node; node = node->next) {
      if (node->stat != MECAB_NOR_NODE && node->stat != MECAB_UNK_NODE) continue;
      if (!node->surface || node->surface < base) continue;
      const size_t begin = static_cast<size_t>(node->surface - base);
      const size_t length = node->length;
      if (begin < covered || begin + length > piece.size() || length == 0) continue;
      // Text MeCab skipped (it should be none: separators are gone) stays with the word
      // before it so that nothing of the term is lost.
      if (begin > covered) {
        const std::string_view gap = piece.substr(covered, begin - covered);
        if (out.empty()) {
          out.emplace_back(gap, gap);
        } else {
          out.back().first.append(gap);
          out.back().second.append(gap);
        }
      }
      const std::string_view surface = piece.substr(begin, length);
      std::string_view reading;
      if (node->stat == MECAB_NOR_NODE && node->feature) {
        reading = FeatureField(node->feature, kReadingField);
      }
      if (reading.empty() || reading == "*") reading = surface;
      if (user_words != nullptr && system_tagger && node->stat == MECAB_NOR_NODE && node->feature &&
          !SystemHas(surface, node->feature)) {
        user_words->emplace_back(surface);
      }
      out.emplace_back(surface, reading);
      covered = begin + length;
    }
    if (covered < piece.size()) {
      const std::string_view rest = piece.substr(covered);
      out.emplace_back(rest, rest);
    }
    return Status::Ok();
  }
};

MecabReadings::MecabReadings(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
MecabReadings::~MecabReadings() = default;

Result<std::unique_ptr<MecabReadings>> MecabReadings::Open(const ReadingServiceOptions& options) {
  std::string folder = options.dictionary_folder;
  if (!folder.empty()) {
    if (!FolderExists(folder)) {
      return Error{ErrorCode::kNotFound, "MeCab の辞書フォルダーがありません: " + folder};
    }
  } else {
    const std::string beside = JoinPath(ProgramFolder(), kProgramDictionaryFolder);
    std::vector<std::string> candidates = {beside};
#ifndef _WIN32
    candidates.insert(candidates.end(), std::begin(kIpadicFolders), std::end(kIpadicFolders));
#endif
    for (const std::string& candidate : candidates) {
      if (FileExists(JoinPath(candidate, "sys.dic"))) {
        folder = candidate;
        break;
      }
    }
    if (folder.empty()) {
#ifdef _WIN32
      return Error{
          ErrorCode::kNotFound,
          "MeCab の IPA 辞書がありません（プログラムのフォルダーの dic に sys.dic がありません: " +
              beside + "）。"};
#else
      return Error{ErrorCode::kNotFound,
                   "MeCab の IPA 辞書（mecab-ipadic-utf8）がインストールされていません"
                   "（/var/lib/mecab/dic/ipadic-utf8 に sys.dic がありません）。"};
#endif
    }
  }
  MIRUNE_RETURN_IF_ERROR(CheckDictionaryFile(JoinPath(folder, "sys.dic"), "MeCab の辞書"));
  if (!FileExists(JoinPath(folder, "dicrc"))) {
    return Error{ErrorCode::kNotFound, "MeCab の辞書フォルダーに dicrc がありません: " + folder};
  }
  if (!options.user_dictionary.empty()) {
    MIRUNE_RETURN_IF_ERROR(CheckDictionaryFile(options.user_dictionary, "ユーザー辞書"));
  }

  std::string mecab_folder = folder;
  std::string user_dictionary = options.user_dictionary;
#ifdef _WIN32
  // MeCab opens its files through wide paths of its own making and never adds the long-path
  // prefix: a path past the 260-character limit is handed over with it.
  auto for_mecab = [](const std::string& path) { return Narrow(ToWidePath(path)); };
  mecab_folder = for_mecab(folder);
  if (!user_dictionary.empty()) user_dictionary = for_mecab(user_dictionary);
#endif
  // argv form, so paths with spaces stay whole. The dictionary's own dicrc serves as the
  // resource file too, so no mecabrc of the machine is read, in either build.
  std::vector<std::string> args = {"mirune", "-r", JoinPath(mecab_folder, "dicrc"), "-d",
                                   mecab_folder};
  if (!user_dictionary.empty()) {
    args.push_back("-u");
    args.push_back(user_dictionary);
  }
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());

  auto impl = std::make_unique<Impl>();
  try {
    impl->model.reset(MeCab::createModel(static_cast<int>(argv.size()), argv.data()));
    if (!impl->model) {
      return Error{
          ErrorCode::kFormatError,
          "MeCab が辞書を読み込めませんでした（辞書とユーザー辞書の組み合わせを確認して下さい）: " +
              folder};
    }
    impl->tagger.reset(impl->model->createTagger());
    impl->lattice.reset(impl->model->createLattice());
    if (!user_dictionary.empty()) {
      std::vector<char*> system_argv(argv.begin(), argv.end() - 2);
      impl->system_model.reset(
          MeCab::createModel(static_cast<int>(system_argv.size()), system_argv.data()));
      if (impl->system_model) {
        impl->system_tagger.reset(impl->system_model->createTagger());
        impl->system_lattice.reset(impl->system_model->createLattice());
      }
      if (!impl->system_tagger || !impl->system_lattice) {
        return Error{ErrorCode::kInternal, "MeCab を起動できませんでした（内部エラー）。"};
      }
    }
  } catch (const std::exception&) {
    return Error{ErrorCode::kInternal, "MeCab を起動できませんでした（内部エラー）。"};
  }
  if (!impl->tagger || !impl->lattice) {
    return Error{ErrorCode::kInternal, "MeCab を起動できませんでした（内部エラー）。"};
  }
  return std::unique_ptr<MecabReadings>(new MecabReadings(std::move(impl)));
}

Result<std::vector<std::string>> MecabReadings::DivideWords(std::string_view text) {
  impl_->last_words.clear();
  impl_->last_user_words.clear();
  impl_->user_words = &impl_->last_user_words;
  Status parsed;
  try {
    parsed = impl_->Parse(text, impl_->last_words);
  } catch (const std::exception&) {
    parsed = Status(ErrorCode::kInternal, "");
  }
  impl_->user_words = nullptr;
  if (!parsed.ok()) {
    impl_->last_words.clear();
    impl_->last_user_words.clear();
    if (parsed.code() != ErrorCode::kInternal) return parsed;
    return Error{ErrorCode::kInternal, "MeCab が語句「" + std::string(text) +
                                           "」の読みを調べられませんでした（内部エラー）。"};
  }
  std::vector<std::string> words;
  words.reserve(impl_->last_words.size());
  for (const auto& w : impl_->last_words) words.push_back(w.first);
  return words;
}

bool MecabReadings::FromUserDictionary(std::string_view word) const {
  for (const std::string& w : impl_->last_user_words) {
    if (w == word) return true;
  }
  return false;
}

Result<std::string> MecabReadings::Phonetic(std::string_view text) {
  for (const auto& w : impl_->last_words) {
    if (w.first == text) return w.second;
  }
  std::vector<std::pair<std::string, std::string>> words;
  try {
    MIRUNE_RETURN_IF_ERROR(impl_->Parse(text, words));
  } catch (const std::exception&) {
    return Error{ErrorCode::kInternal, "MeCab が語句「" + std::string(text) +
                                           "」の読みを調べられませんでした（内部エラー）。"};
  }
  std::string reading;
  for (const auto& w : words) reading += w.second;
  return reading;
}

Result<std::unique_ptr<ReadingService>> OpenSystemReadings(const ReadingServiceOptions& options) {
  auto readings = MecabReadings::Open(options);
  if (!readings.ok()) return readings.error();
  return std::unique_ptr<ReadingService>(std::move(*readings));
}

}  // namespace mirune
