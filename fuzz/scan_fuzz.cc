// Fuzz target of the story scan. The first byte chooses how the rest is read: as a whole
// tagged-text file (decoding included), or as the UTF-16LE body of a story behind a fixed
// header (so that the fuzzer spends its time in the scan). Whatever the input, the analysis
// must return, and what it appends must be tidy entry lines of at most three fields without
// control characters; the page names it lists must not be page numbers.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "analysis/entry_list.h"
#include "analysis/page_field.h"
#include "analysis/story_scan.h"
#include "analysis/testing/fake_phonetic.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string bytes;
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] % 2 == 0) {
    bytes = rest;
  } else {
    const std::u16string header =
        u"<UNICODE-WIN>\r\n<vsn:16><ctable:=<Black:COLOR:CMYK:Process:0,0,0,1>>\r\n";
    bytes = "\xFF\xFE";
    for (char16_t c : header) {
      bytes.push_back(static_cast<char>(c & 0xFF));
      bytes.push_back(static_cast<char>(c >> 8));
    }
    bytes += rest.substr(0, rest.size() & ~size_t{1});
  }
  mirune::FakePhonetic lookup(mirune::FakePhonetic::Table{{"索引", "サクイン"}});
  mirune::ScriptWordDivider divider;
  mirune::EntryList entries;
  mirune::AnalysisContext ctx{&entries, &divider, &lookup, nullptr, 0, {}, nullptr};
  if (!mirune::AnalyzeTaggedStory(bytes, ctx).ok()) {
    Check(entries.empty() && entries.entry_count() == 0);
    return 0;
  }
  const auto lines = entries.Lines();
  Check(lines.size() == entries.line_count());
  Check(static_cast<int64_t>(lines.size()) >= entries.entry_count());
  for (const auto& line : lines) {
    Check(!line.empty());
    size_t tabs = 0;
    for (char c : line) {
      // No control character reaches an entry line; TAB only separates its fields.
      Check(static_cast<unsigned char>(c) >= 0x20 || c == '\t');
      Check(c != 0x7F);
      if (c == '\t') ++tabs;
    }
    Check(tabs <= 2);
  }
  // Page names are listed once each, and never a page number.
  for (const auto& page : entries.text_pages()) {
    Check(!page.empty());
    Check(!mirune::PageField::FromName(page).is_number());
  }
  for (const auto& warning : entries.warnings()) Check(!warning.empty());
  return 0;
}
