// Fuzz target: the IDML package reader, composition and the mapping to the layout model.
// Any input must either be refused with an error or give a sound layout document.
//
// An input starting with "PK" is read as a whole package. Any other input replaces one part of
// a small valid package (the first byte picks the part), so that the XML parts are fuzzed
// behind the zip container's checksums.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "automation/idml/idml_compose.h"
#include "automation/idml/idml_document.h"
#include "automation/idml/idml_reader.h"
#include "automation/idml/idml_writer.h"
#include "automation/idml/testing/mini_package.h"
#include "automation/indesign_engine/text_edit.h"

namespace {

std::string PackageWithPart(uint8_t selector, const std::string& part) {
  using namespace mirune::idml::testing;
  MiniPackage package = MakeMiniPackage(
      2, {{"f1", "s", -40, -90, 40, 90, "n", "f2", 2}, {"f2", "s", 60, -90, 140, 90, "f1", "n"}},
      {{"s", SimpleStory("s", "<Content>索引<?ACE 18?></Content><Br/><Content>語</Content>")},
       {"t", SimpleStory("t", "<Content>t</Content>")}},
      FrameXml({"mf", "t", 0, 0, 10, 10}));
  static const char* const kParts[] = {"designmap.xml",         "Spreads/Spread_s1.xml",
                                       "Stories/Story_s.xml",   "Resources/Styles.xml",
                                       "Resources/Graphic.xml", "MasterSpreads/M.xml"};
  package.Set(kParts[selector % (sizeof kParts / sizeof kParts[0])], part);
  return package.Zip();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (size > 0 && !bytes.starts_with("PK")) bytes = PackageWithPart(data[0], bytes.substr(1));
  mirune::idml::ZipLimits limits;
  limits.max_entry_bytes = 8u << 20;
  limits.max_total_bytes = 32u << 20;
  auto package = mirune::idml::ReadIdmlPackage(std::move(bytes), limits);
  if (!package.ok()) {
    if (package.message().empty()) std::abort();
    return 0;
  }
  const mirune::idml::Composition composition = mirune::idml::Compose(*package);
  const mirune::layout::Document document =
      mirune::idml::ToLayoutDocument(*package, composition, "fuzz.idml");
  const std::string problem = mirune::layout::CheckDocument(document);
  if (!problem.empty()) {
    std::fprintf(stderr, "unsound document: %s\n", problem.c_str());
    std::abort();
  }
  // Marking a stretch of the first story and saving must give a package that reads again
  // with the same text.
  mirune::layout::Document marked = document;
  if (marked.stories.empty() || marked.stories[0].text.empty()) return 0;
  marked.swatches.push_back(
      {"RazozaMark9", {mirune::layout::ColorSpace::kCmyk, {0, 100, 0, 0}}, ""});
  const int32_t swatch = static_cast<int32_t>(marked.swatches.size()) - 1;
  const int32_t length = static_cast<int32_t>(marked.stories[0].text.size());
  const int32_t start = static_cast<int32_t>(size % static_cast<size_t>(length));
  const int32_t end = std::min(length, start + 1 + static_cast<int32_t>(size % 7));
  mirune::layout::ChangeFormat(marked, 0, start, end,
                               [&](mirune::layout::TextFormat& f) { f.fill_color = swatch; });
  // And a word added in two places (text edits must be written back where they are).
  const mirune::layout::TextFormat format = mirune::layout::FormatAt(marked.stories[0], start);
  mirune::layout::ReplaceText(marked, 0, end, end, U"語", format);
  mirune::layout::ReplaceText(marked, 0, start, start, U"追加", format);
  auto saved = mirune::idml::WriteIdmlPackage(marked, &*package);
  if (!saved.ok()) {
    if (saved.code() == mirune::ErrorCode::kUnsupported) return 0;  // refused, not wrong
    std::fprintf(stderr, "save failed: %s\n", saved.message().c_str());
    std::abort();
  }
  auto again = mirune::idml::ReadIdmlPackage(std::move(saved).value());
  if (!again.ok() || again->stories.empty() || again->stories[0].text != marked.stories[0].text) {
    std::fprintf(stderr, "the saved package differs: %s\n", again.message().c_str());
    std::abort();
  }
  return 0;
}
