#include "automation/idml/idml_writer.h"

#include <map>
#include <memory>
#include <unordered_map>

#include "automation/idml/idml_document.h"
#include "automation/idml/resource_parts.h"
#include "automation/idml/story_rewriter.h"
#include "automation/idml/zip_archive.h"

namespace mirune::idml {

namespace {

// The original package's parts: those it keeps from memory, story parts inflated again from
// its archive (one reader for the whole save).
class PartSource {
 public:
  explicit PartSource(const Package& package) : package_(package) {}

  Result<std::string> Read(const std::string& name) {
    if (auto it = package_.parts.find(name); it != package_.parts.end()) return it->second;
    if (!zip_) {
      auto zip = ZipReader::Open(package_.archive);
      if (!zip.ok()) {
        return Error{zip.code(), "読み込み元のパッケージを開き直せません（" + zip.message() + "）"};
      }
      zip_ = std::move(zip).value();
    }
    return zip_->Read(name);
  }

 private:
  const Package& package_;
  std::unique_ptr<ZipReader> zip_;
};

}  // namespace

Result<std::string> WriteIdmlPackage(const layout::Document& document, const Package* original) {
  if (!original) return WriteNewIdmlPackage(document);
  const std::string problem = layout::CheckDocument(document);
  if (!problem.empty()) {
    return Error{ErrorCode::kInternal, "文書の内部構造が壊れています（" + problem + "）"};
  }
  const LayoutIndexes indexes = IndexesOf(*original);
  const Resources resources = MapResources(document, *original);
  std::map<std::string, std::string> replaced;

  PartSource source(*original);
  std::unordered_map<std::string, const Story*> story_by_self;
  for (const Story& story : original->stories) story_by_self.emplace(story.self, &story);
  for (size_t s = 0; s < document.stories.size(); ++s) {
    const layout::Story& edited = document.stories[s];
    auto it = story_by_self.find(edited.source_id);
    if (it == story_by_self.end()) {
      return Error{
          ErrorCode::kUnsupported,
          std::to_string(s + 1) + " 番目のストーリーが、読み込み元のパッケージにありません"};
    }
    if (!edited.changed) continue;
    bool changed = false;
    MIRUNE_ASSIGN_OR_RETURN(const std::string original_bytes, source.Read(it->second->part));
    MIRUNE_ASSIGN_OR_RETURN(std::string bytes, RewriteStory(original_bytes, *it->second, edited,
                                                            indexes, resources, changed));
    if (changed) replaced[it->second->part] = std::move(bytes);
  }
  if (!resources.new_swatches.empty()) {
    const std::string part = ResourcePart(*original, "Graphic");
    if (part.empty() || !original->parts.count(part)) {
      return Error{
          ErrorCode::kUnsupported,
          "新しいスウォッチを書き込む部品（Resources/Graphic.xml）がパッケージにありません"};
    }
    MIRUNE_ASSIGN_OR_RETURN(replaced[part], AddSwatches(document, *original, resources, part));
  }
  if (!resources.new_styles.empty()) {
    const std::string part = ResourcePart(*original, "Styles");
    if (part.empty() || !original->parts.count(part)) {
      return Error{
          ErrorCode::kUnsupported,
          "新しい文字スタイルを書き込む部品（Resources/Styles.xml）がパッケージにありません"};
    }
    MIRUNE_ASSIGN_OR_RETURN(replaced[part],
                            AddCharacterStyles(document, *original, resources, part));
  }

  ZipWriter zip;
  for (const std::string& name : original->part_names) {
    auto it = replaced.find(name);
    const bool stored = original->stored.count(name) ? original->stored.at(name) : false;
    if (it != replaced.end()) {
      zip.Add(name, std::move(it->second), stored || name == "mimetype");
      continue;
    }
    MIRUNE_ASSIGN_OR_RETURN(std::string bytes, source.Read(name));
    zip.Add(name, std::move(bytes), stored || name == "mimetype");
  }
  return zip.Finish();
}

}  // namespace mirune::idml
