#include "analysis/reading_memory.h"

#include <utility>

#include "analysis/char_class.h"
#include "analysis/term_reading.h"
#include "base/file.h"
#include "base/text_encoding.h"
#include "base/utf.h"

namespace mirune {

const std::string_view kReadingMemoryHeader =
    "# ミルネの読みの記憶（ReadingMemory.txt）\n"
    "# 再ソート（mirune resort）で、シート「Org」で直した読みをここに覚えます。\n"
    "# 次の索引抽出では、ここにある語句の読みをほかの何よりも先に使います。\n"
    "# 1 行に 1 語、語句、TAB、読みの順に書きます（例: 索引<TAB>さくいん）。\n"
    "# 同じ語句が何行もあるときは、あとの行の読みを使います。行を消すとその読みを忘れます。\n"
    "# 「#」で始まる行と空の行は読み飛ばします。UTF-8 で保存して下さい。\n";

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// Beyond this many damaged lines, the rest are counted, not listed one by one.
constexpr size_t kMaxListedWarnings = 20;

bool IsBlank(std::string_view line) {
  size_t pos = 0;
  while (pos < line.size()) {
    const char32_t c = DecodeUtf8(line, pos);
    if (c != U' ' && c != U'\u3000') return false;
  }
  return true;
}

// True for a control character of any kind: inside one field of a line, even TAB, CR and LF
// are damage.
bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

std::string FirstWith(std::string_view text, bool (*test)(char32_t)) {
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t start = pos;
    if (test(DecodeUtf8(text, pos))) return std::string(text.substr(start, pos - start));
  }
  return {};
}

bool HasControl(std::string_view text) { return !FirstWith(text, IsControl).empty(); }

// Notepad's "Unicode" is UTF-16 with a byte-order mark; anything else is read as UTF-8.
bool IsUtf16WithBom(std::string_view bytes) {
  return bytes.size() >= 2 &&
         ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
}

// The cause of a damaged line, or empty for a line of the memory. `line` is without its line
// end; a comment or blank line never comes here.
std::string LineProblem(std::string_view line) {
  if (!IsValidUtf8(line)) return "UTF-8 として読めない文字があります";
  const size_t tab = line.find('\t');
  if (tab == std::string_view::npos) return "語句と読みを区切る TAB がありません";
  if (line.find('\t', tab + 1) != std::string_view::npos) return "TAB が 2 つ以上あります";
  return ReadingMemory::ProblemOf(line.substr(0, tab), line.substr(tab + 1));
}

}  // namespace

std::string ReadingMemory::ProblemOf(std::string_view term, std::string_view reading) {
  if (!IsValidUtf8(term) || !IsValidUtf8(reading)) return "UTF-8 として読めない文字があります";
  if (term.empty()) return "語句が空です";
  if (reading.empty()) return "読みが空です";
  if (term.front() == '#') return "語句が「#」で始まっています（説明の行と区別できません）";
  if (HasControl(term) || HasControl(reading)) return "制御文字があります";
  if (reading.find(kRecheckMark) != std::string_view::npos) {
    return std::string("読みに「") + std::string(kRecheckMark) + "」が残っています";
  }
  if (const std::string kanji = FirstWith(reading, CountsAsKanji); !kanji.empty()) {
    return "読みに漢字があります（" + kanji + "）";
  }
  return {};
}

void ReadingMemory::AddWarning(size_t line_number, std::string_view cause) {
  if (warnings_.size() >= kMaxListedWarnings) {
    ++unreported_warnings_;
    return;
  }
  warnings_.push_back("読みの記憶 " + path_ + " の " + std::to_string(line_number) +
                      " 行目を読み飛ばしました: " + std::string(cause));
}

Result<ReadingMemory> ReadingMemory::Load(const std::string& path) {
  Result<std::string> bytes = ReadFileBytes(path, kReadingMemoryMaxBytes);
  if (bytes.code() == ErrorCode::kNotFound) return Parse(path, {});
  if (!bytes.ok()) return Result<ReadingMemory>(bytes.code(), "読みの記憶: " + bytes.message());
  return Parse(path, *bytes);
}

Result<ReadingMemory> ReadingMemory::Parse(std::string path, std::string_view bytes) {
  ReadingMemory memory;
  memory.path_ = std::move(path);
  std::string decoded;
  if (IsUtf16WithBom(bytes)) {
    // Written back as UTF-8: the lines keep their text, not their bytes.
    auto utf16 = DecodeUtf16Text(bytes);
    if (!utf16.ok()) {
      return Result<ReadingMemory>(
          ErrorCode::kFormatError,
          "読みの記憶: " + memory.path_ +
              " を読めません: UTF-16 のファイルが途中で切れています（バイト数が奇数です）");
    }
    decoded = Utf16ToUtf8(*utf16);
    bytes = decoded;
  } else if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    bytes.remove_prefix(kUtf8Bom.size());
  } else if (!bytes.empty()) {
    memory.bom_ = false;
  }
  // Lines end in CR LF, LF or CR alone (older Mac editors): each is a line end.
  bool line_end_seen = false;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find_first_of("\r\n", start);
    Line line;
    if (end == std::string_view::npos) {
      line.text = std::string(bytes.substr(start));
      start = bytes.size();
    } else {
      const bool crlf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
      line.text = std::string(bytes.substr(start, end - start));
      line.end = crlf ? "\r\n" : std::string(1, bytes[end]);
      start = end + line.end.size();
      if (!line_end_seen) {
        memory.line_end_ = line.end;
        line_end_seen = true;
      }
    }
    memory.lines_.push_back(std::move(line));
  }
  for (size_t i = 0; i < memory.lines_.size(); ++i) {
    const std::string& text = memory.lines_[i].text;
    if (text.empty() || text.front() == '#' || (IsValidUtf8(text) && IsBlank(text))) continue;
    if (const std::string problem = LineProblem(text); !problem.empty()) {
      memory.AddWarning(i + 1, problem);
      continue;
    }
    const size_t tab = text.find('\t');
    memory.terms_[text.substr(0, tab)] = Entry{text.substr(tab + 1), i};
  }
  memory.header_ = memory.lines_.empty();
  if (memory.unreported_warnings_ > 0) {
    memory.warnings_.push_back("読みの記憶 " + memory.path_ + " では、ほかに " +
                               std::to_string(memory.unreported_warnings_) +
                               " 行を読み飛ばしました");
  }
  return memory;
}

const std::string* ReadingMemory::Find(std::string_view term) const {
  const auto it = terms_.find(term);
  return it == terms_.end() ? nullptr : &it->second.reading;
}

bool ReadingMemory::Learn(std::string_view term, std::string_view reading) {
  if (!ProblemOf(term, reading).empty()) return false;
  const std::string text = std::string(term) + "\t" + std::string(reading);
  if (auto it = terms_.find(term); it != terms_.end()) {
    if (it->second.reading == reading) return false;
    it->second.reading = std::string(reading);
    lines_[it->second.line].text = text;
    return true;
  }
  // A last line without a line end gets one, so that the new line starts a line of its own.
  if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = line_end_;
  lines_.push_back(Line{text, line_end_});
  terms_.emplace(std::string(term), Entry{std::string(reading), lines_.size() - 1});
  return true;
}

std::string ReadingMemory::ToBytes() const {
  std::string out;
  if (bom_) out += kUtf8Bom;
  if (header_) {
    std::string_view rest = kReadingMemoryHeader;
    while (!rest.empty()) {
      const size_t lf = rest.find('\n');
      out += rest.substr(0, lf);
      out += line_end_;
      rest.remove_prefix(lf + 1);
    }
  }
  for (const Line& line : lines_) {
    out += line.text;
    out += line.end;
  }
  return out;
}

Status ReadingMemory::Save() const {
  if (IsReadOnlyFile(path_)) {
    return Status(ErrorCode::kIoError,
                  "読みの記憶: " + path_ + " を置き換えられません: 読み取り専用のファイルです");
  }
  if (FolderExists(path_)) {
    return Status(ErrorCode::kIoError,
                  "読みの記憶: " + path_ + " を書き込めません: 同じ名前のフォルダーがあります");
  }
  const std::string bytes = ToBytes();
  // The limit at which Load refuses the file holds here too: a memory written past it would
  // be ignored by every later job.
  if (bytes.size() > kReadingMemoryMaxBytes) {
    return Status(ErrorCode::kOverflow,
                  "読みの記憶: " + path_ + " を書き込めません: 上限の " +
                      std::to_string(kReadingMemoryMaxBytes >> 20) +
                      " MiB を超えます。使わなくなった行を消してから再度実行して下さい");
  }
  if (Status written = WriteFileAtomic(path_, bytes); !written.ok()) {
    return Status(written.code(), "読みの記憶: " + written.message());
  }
  return Status::Ok();
}

}  // namespace mirune
