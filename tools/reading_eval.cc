// `mirune_reading_eval`: measures the readings of the system (OpenJobReadings and
// TermReading, as a job reads its index terms) against a set of terms with their correct
// readings.
//
//   mirune_reading_eval [--dic DIR] [--min PERCENT] [--misses FILE] SET.tsv
//
// The set: one term a line, `term<TAB>reading[<TAB>reading...]` (tools/reading_set.h). Prints
// the number of terms, the number read exactly (the reading equals one of those listed) and
// the percentage with two decimals. --dic: the dictionary folder of the readings; --misses:
// writes `term<TAB>got<TAB>expected...` for each term not read exactly. Exit 0; 1 when the
// percentage is below --min; 2 on an error (the cause on standard error, first).

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/phonetic.h"
#include "analysis/term_reading.h"
#include "base/file.h"
#include "base/result.h"
#include "cli/terminal.h"
#include "tools/reading_set.h"

#ifdef _WIN32
#include "base/wide_path.h"
#endif

namespace mirune::tools {
namespace {

constexpr int kExitBelowMinimum = 1;
constexpr int kExitError = 2;
constexpr std::string_view kUsage =
    "使い方: mirune_reading_eval [--dic フォルダー] [--min 百分率] [--misses ファイル] "
    "語句と読み.tsv\n";

struct Arguments {
  std::string set_path;
  std::string dictionary_folder;
  std::string misses_path;
  bool has_min = false;
  double min_percent = 0;
};

int Fail(std::string_view cause) {
  cli::PrintErr("mirune_reading_eval: " + std::string(cause) + "\n");
  return kExitError;
}

// A percentage from 0 to 100 written in ASCII digits with an optional fraction ("98.5").
bool ParsePercent(const std::string& text, double* value) {
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return false;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (errno != 0 || end != text.c_str() + text.size() || v < 0 || v > 100) return false;
  *value = v;
  return true;
}

Result<Arguments> ParseArguments(const std::vector<std::string>& args) {
  Arguments parsed;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--dic" || a == "--min" || a == "--misses") {
      if (i + 1 == args.size()) {
        return Error{ErrorCode::kInvalidArgument, "「" + a + "」に値を指定して下さい"};
      }
      const std::string& value = args[++i];
      if (a == "--dic") {
        parsed.dictionary_folder = value;
      } else if (a == "--misses") {
        parsed.misses_path = value;
      } else if (!ParsePercent(value, &parsed.min_percent)) {
        return Error{ErrorCode::kInvalidArgument,
                     "「--min」の値 " + value + " は 0 から 100 までの百分率ではありません"};
      } else {
        parsed.has_min = true;
      }
    } else if (a.size() > 1 && a[0] == '-') {
      return Error{ErrorCode::kInvalidArgument, "知らないオプションです: " + a};
    } else if (!parsed.set_path.empty()) {
      return Error{ErrorCode::kInvalidArgument, "余分な引数があります: " + a};
    } else {
      parsed.set_path = a;
    }
  }
  if (parsed.set_path.empty()) {
    return Error{ErrorCode::kInvalidArgument, "語句と読みのファイル（.tsv）を指定して下さい"};
  }
  return parsed;
}

int Run(const std::vector<std::string>& args) {
  cli::SetUpConsole();
  Result<Arguments> parsed = ParseArguments(args);
  if (!parsed.ok()) {
    cli::PrintErr("mirune_reading_eval: " + parsed.message() + "\n" + std::string(kUsage));
    return kExitError;
  }
  const Arguments& a = *parsed;
  // The misses are written over their file: never over the set being measured.
  if (!a.misses_path.empty() && SameFile(a.misses_path, a.set_path)) {
    return Fail("「--misses」の " + a.misses_path + " は語句と読みのファイルそのものです");
  }

  Result<std::string> bytes = ReadFileBytes(a.set_path);
  if (!bytes.ok()) return Fail(bytes.message());
  Result<std::vector<ReadingSetEntry>> set = ParseReadingSet(*bytes, a.set_path);
  if (!set.ok()) return Fail(set.message());
  if (set->empty()) return Fail(a.set_path + " に語句が 1 つもありません");

  ReadingServiceOptions options;
  options.dictionary_folder = a.dictionary_folder;
  Result<JobReadings> readings = OpenJobReadings(options);
  if (!readings.ok()) return Fail("読みの辞書を開けません: " + readings.message());
  if (readings->written_form) cli::PrintErr(std::string(kWrittenFormReadingsNotice) + "\n");
  ReadingService& service = *readings->service;

  size_t exact = 0;
  std::string misses;
  for (const ReadingSetEntry& entry : *set) {
    Result<std::string> got = TermReading(entry.term, service, service);
    if (!got.ok()) return Fail("「" + entry.term + "」の読みを得られません: " + got.message());
    if (IsExactReading(entry, *got)) {
      ++exact;
      continue;
    }
    misses += entry.term + "\t" + *got;
    for (const std::string& r : entry.readings) misses += "\t" + r;
    misses += "\n";
  }
  if (!a.misses_path.empty()) {
    Status written = WriteFileAtomic(a.misses_path, misses);
    if (!written.ok()) return Fail(written.message());
  }

  const size_t count = set->size();
  const std::string percent = PercentText(exact, count);
  cli::PrintOut("語句の数: " + std::to_string(count) + "\n読みの一致: " + std::to_string(exact) +
                "\n一致率: " + percent + "%\n");
  if (a.has_min && BelowMinimum(exact, count, a.min_percent)) {
    char min_text[32];
    std::snprintf(min_text, sizeof min_text, "%.2f", a.min_percent);
    cli::PrintErr("mirune_reading_eval: 一致率 " + percent + "% が下限の " + min_text +
                  "% を下回りました（" + a.set_path + "）\n");
    return kExitBelowMinimum;
  }
  return 0;
}

}  // namespace
}  // namespace mirune::tools

#ifdef _WIN32
int wmain(int argc, wchar_t** wargv) {
  return mirune::tools::Run(mirune::Utf8Arguments(argc, wargv));
}
#else
int main(int argc, char** argv) {
  return mirune::tools::Run(std::vector<std::string>(argv, argv + argc));
}
#endif
