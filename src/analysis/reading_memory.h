#pragma once

// The reading memory: the readings the user corrected on a workbook's sheet Org, learned by the
// re-sort and applied by the next extraction before any other source of readings. It lives in
// the data folder as ReadingMemory.txt, UTF-8 text that a person can read and edit:
//
//   # comment            lines starting with "#", and empty lines (or spaces only), are
//                        comments
//   索引<TAB>さくいん      one term, TAB, its reading per line; a later line of a term wins
//
// A UTF-8 byte-order mark and CR LF, LF or CR line ends (Notepad, Unix, older Mac editors) are
// accepted, and so is a file that
// Notepad saved as "Unicode" (UTF-16 with a byte-order mark), which is written back as UTF-8.
// A new file is written as UTF-8 with a byte-order mark and CR LF line ends, which every
// Notepad opens as UTF-8, and starts with a Japanese header of comments saying what the file is
// and how to edit it. Save keeps the user's lines where they are: comments and damaged lines
// byte for byte, the line of a re-learned term replaced in place, new terms appended.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace mirune {

// The name of the memory file in the data folder (the folder of ChooseDataFolder).
inline constexpr std::string_view kReadingMemoryFileName = "ReadingMemory.txt";

// The largest memory file read: far beyond any index (a million terms take some 40 MB).
inline constexpr uint64_t kReadingMemoryMaxBytes = uint64_t{64} << 20;

// The header of a new memory file (UTF-8, each line a comment, LF line ends; Save writes
// them with CR LF).
extern const std::string_view kReadingMemoryHeader;

class ReadingMemory {
 public:
  // Loads `path`; a missing file is an empty memory (not an error). A damaged line (no TAB,
  // more than one TAB, empty term or reading, invalid UTF-8, control characters, a reading
  // with kanji or the re-check mark) is skipped with a Japanese warning naming the file and
  // the line number; it is kept for Save. Errors only when the file exists and cannot be read
  // (a folder, a pipe, no permission, larger than kReadingMemoryMaxBytes, UTF-16 cut short):
  // kIoError, kOverflow and the like, the message naming the file.
  static Result<ReadingMemory> Load(const std::string& path);
  // What Load makes of the file's bytes, for a memory at `path`. Fails (kFormatError) only
  // for a UTF-16 file cut short (an odd number of bytes after its byte-order mark).
  static Result<ReadingMemory> Parse(std::string path, std::string_view bytes);

  // The learned reading of `term`; nullptr when not learned. Valid until the next Learn.
  const std::string* Find(std::string_view term) const;
  // The number of distinct terms learned.
  size_t size() const { return terms_.size(); }
  // One Japanese warning per damaged line (a long list ends with a count of the rest).
  const std::vector<std::string>& warnings() const { return warnings_; }
  const std::string& path() const { return path_; }

  // Records term → reading (hiragana text as the user wrote it). Returns true when this
  // changed the memory; false when the term already had this reading, and when the pair
  // cannot be kept in the file (IsStorable is false).
  bool Learn(std::string_view term, std::string_view reading);

  // Writes the file: every line of the user's kept in place (comments, damaged lines
  // verbatim), the line of a re-learned term replaced in place, new terms appended. Written
  // to a temporary file and replaced in one step (WriteFileAtomic), so a failed write never
  // loses the old file. A read-only file is not replaced (kIoError); a file that would be larger
  // than kReadingMemoryMaxBytes, which Load refuses, is not written (kOverflow).
  Status Save() const;
  // The bytes Save writes.
  std::string ToBytes() const;

  // Why the pair term → reading would be a damaged line (a Japanese cause such as
  // "読みに漢字があります（索）"); empty when it can be kept. A term starting with "#" cannot
  // be kept: its line would read as a comment.
  static std::string ProblemOf(std::string_view term, std::string_view reading);

 private:
  struct Line {
    std::string text;  // without its line end
    std::string end;   // "\n", "\r\n", "\r"; for the last line also ""
  };

  void AddWarning(size_t line_number, std::string_view cause);

  std::string path_;
  bool bom_ = true;                // the file starts with a UTF-8 byte-order mark
  bool header_ = true;             // Save writes the header first: the file was missing or empty
  std::string line_end_ = "\r\n";  // the file's own line end, for the lines appended
  std::vector<Line> lines_;
  // Term → its reading and the index in lines_ of the line that gives it (the last one).
  struct Entry {
    std::string reading;
    size_t line = 0;
  };
  std::map<std::string, Entry, std::less<>> terms_;
  std::vector<std::string> warnings_;
  size_t unreported_warnings_ = 0;
};

}  // namespace mirune
