#include "automation/idml/idml_document.h"

#include <algorithm>
#include <map>
#include <new>
#include <unordered_map>

#include "automation/idml/idml_reader.h"
#include "automation/idml/idml_writer.h"
#include "automation/indesign_engine/builder.h"
#include "base/file.h"

namespace mirune::idml {

namespace {

using layout::kNone;

// InDesign's own names carry a "$ID/" prefix in IDML ("$ID/NormalParagraphStyle").
std::string DisplayName(const std::string& name) {
  if (name.rfind("$ID/", 0) == 0) return name.substr(4);
  return name;
}

layout::ColorSpace SpaceOf(const std::string& space) {
  if (space == "RGB") return layout::ColorSpace::kRgb;
  if (space == "LAB") return layout::ColorSpace::kLab;
  return layout::ColorSpace::kCmyk;
}

layout::BreakType ToBreakType(BreakKind kind) {
  switch (kind) {
    case BreakKind::kColumn:
      return layout::BreakType::kColumn;
    case BreakKind::kFrame:
      return layout::BreakType::kFrame;
    case BreakKind::kPage:
      return layout::BreakType::kPage;
    case BreakKind::kOddPage:
      return layout::BreakType::kOddPage;
    case BreakKind::kEvenPage:
      return layout::BreakType::kEvenPage;
    case BreakKind::kNone:
      break;
  }
  return layout::BreakType::kNone;
}

int32_t Lookup(const std::map<std::string, int32_t>& map, const std::string& self) {
  auto it = map.find(self);
  return it == map.end() ? kNone : it->second;
}

bool EndsWithIdml(const std::string& path) { return PathExtensionIs(path, ".idml"); }

}  // namespace

int32_t LayoutIndexes::Swatch(const std::string& self) const { return Lookup(swatch, self); }
int32_t LayoutIndexes::CharacterStyle(const std::string& self) const {
  return Lookup(character_style, self);
}
int32_t LayoutIndexes::ParagraphStyle(const std::string& self) const {
  return Lookup(paragraph_style, self);
}

LayoutIndexes IndexesOf(const Package& package) {
  LayoutIndexes indexes;
  int32_t next = 0;
  for (const std::string& self : package.swatch_order) indexes.swatch[self] = next++;
  next = 0;
  for (const std::string& self : package.character_style_order) {
    if (package.character_styles.at(self).name == "$ID/[No character style]") continue;
    indexes.character_style[self] = next++;
  }
  next = 0;
  for (const std::string& self : package.paragraph_style_order) {
    indexes.paragraph_style[self] = next++;
  }
  return indexes;
}

namespace {

// The ruby in effect for a run: each attribute the range sets, the rest from its character
// style and the styles that one is based on; kNone unless ruby is on with a string.
int32_t EffectiveRuby(const Package& package, const TextRun& run, layout::Document& document) {
  RubyAttributes ruby = run.ruby;
  std::string style = run.character_style;
  for (int guard = 0; guard < 64 && !style.empty(); ++guard) {
    if (ruby.flag >= 0 && ruby.string_set && ruby.per_character >= 0) break;
    auto it = package.character_styles.find(style);
    if (it == package.character_styles.end()) break;
    const RubyAttributes& s = it->second.ruby;
    if (ruby.flag < 0) ruby.flag = s.flag;
    if (!ruby.string_set && s.string_set) {
      ruby.string_set = true;
      ruby.string = s.string;
    }
    if (ruby.per_character < 0) ruby.per_character = s.per_character;
    style = it->second.based_on;
  }
  if (ruby.flag != 1 || ruby.string.empty()) return layout::kNone;
  return layout::InternRuby(document, {ruby.string, ruby.per_character == 1});
}

// The swatches, the character styles (but [No character style]) and the paragraph styles, in
// the package's order, so that their indexes are those of `indexes`.
void AddResources(const Package& package, const LayoutIndexes& indexes,
                  layout::Document& document) {
  for (const std::string& self : package.swatch_order) {
    const Swatch& swatch = package.swatches.at(self);
    layout::Swatch out;
    out.name = swatch.name;
    out.value.space = SpaceOf(swatch.space);
    out.value.components = swatch.components;
    out.source_id = self;
    document.swatches.push_back(std::move(out));
  }
  for (const std::string& self : package.character_style_order) {
    const CharacterStyle& style = package.character_styles.at(self);
    if (indexes.CharacterStyle(self) == kNone) continue;
    layout::CharacterStyle out;
    out.name = DisplayName(style.name);
    out.fill_color = indexes.Swatch(style.fill_color);
    out.based_on = indexes.CharacterStyle(style.based_on);
    out.source_id = self;
    document.character_styles.push_back(std::move(out));
  }
  for (const std::string& self : package.paragraph_style_order) {
    document.paragraph_styles.push_back(
        {DisplayName(package.paragraph_styles.at(self).name), self});
  }
}

// The package's story `s` with its frames and runs of one format; a paragraph return carries
// the break that starts the next paragraph. Ruby is interned into `document`.
layout::Story ToLayoutStory(const Package& package, const Composition& composition, size_t s,
                            const LayoutIndexes& indexes, layout::Document& document) {
  const Story& story = package.stories[s];
  layout::Story out;
  out.text = story.text;
  out.source_id = story.self;
  out.composition_estimated = composition.estimated[s];
  for (int frame : composition.story_frames[s]) out.frames.push_back(frame);

  std::vector<layout::TextFormat> run_formats;
  run_formats.reserve(story.runs.size());
  for (const TextRun& run : story.runs) {
    layout::TextFormat format;
    format.ruby = EffectiveRuby(package, run, document);
    format.character_style = indexes.CharacterStyle(run.character_style);
    format.fill_color = indexes.Swatch(run.fill_color);
    format.paragraph_style = indexes.ParagraphStyle(run.paragraph_style);
    format.point_size = static_cast<float>(run.point_size);
    format.leading = static_cast<float>(run.leading);
    run_formats.push_back(format);
  }
  size_t next_break = 0;
  RunCursor cursor(story);
  for (size_t i = 0; i < story.text.size(); ++i) {
    layout::TextFormat format = run_formats[cursor.RunAt(static_cast<uint32_t>(i))];
    if (story.text[i] == kParagraphReturn) {
      while (next_break < story.breaks.size() && story.breaks[next_break].position < i + 1) {
        ++next_break;
      }
      if (next_break < story.breaks.size() && story.breaks[next_break].position == i + 1) {
        format.break_type = ToBreakType(story.breaks[next_break].kind);
      }
    }
    if (out.runs.empty() || !(out.runs.back().format == format)) {
      out.runs.push_back({static_cast<int32_t>(i), format});
    }
  }
  return out;
}

// The package's frame `f` with its text range and page as composed, bounded by the box its
// inner rectangle covers on the spread.
layout::TextFrame ToLayoutFrame(const Package& package, const Composition& composition, size_t f,
                                const std::unordered_map<std::string, int32_t>& story_index) {
  const Frame& frame = package.frames[f];
  layout::TextFrame out;
  out.story = story_index.at(frame.story);
  out.text_start = static_cast<int32_t>(composition.begin[f]);
  out.text_end = static_cast<int32_t>(composition.end[f]);
  out.page = composition.page[f];
  const Rect& r = frame.inner;
  double xs[4], ys[4];
  frame.to_spread.Apply(r.left, r.top, xs[0], ys[0]);
  frame.to_spread.Apply(r.right, r.top, xs[1], ys[1]);
  frame.to_spread.Apply(r.left, r.bottom, xs[2], ys[2]);
  frame.to_spread.Apply(r.right, r.bottom, xs[3], ys[3]);
  out.bounds = {*std::min_element(ys, ys + 4), *std::min_element(xs, xs + 4),
                *std::max_element(ys, ys + 4), *std::max_element(xs, xs + 4)};
  out.source_id = frame.self;
  return out;
}

// A page's frames: its own in the order of the spread, then frames anchored in text on it.
void ListPageFrames(const Package& package, const Composition& composition,
                    layout::Document& document) {
  for (int anchored = 0; anchored < 2; ++anchored) {
    for (size_t f = 0; f < package.frames.size(); ++f) {
      const int page = composition.page[f];
      if (page < 0 || package.frames[f].anchored_in.empty() != (anchored == 0)) continue;
      document.pages[static_cast<size_t>(page)].frames.push_back(static_cast<int32_t>(f));
    }
  }
}

}  // namespace

layout::Document ToLayoutDocument(const Package& package, const Composition& composition,
                                  const std::string& full_name) {
  layout::Document document;
  document.full_name = full_name;
  document.name = layout::LastPathComponent(full_name);
  const LayoutIndexes indexes = IndexesOf(package);
  AddResources(package, indexes, document);

  std::unordered_map<std::string, int32_t> story_index;
  for (size_t s = 0; s < package.stories.size(); ++s) {
    story_index.emplace(package.stories[s].self, static_cast<int32_t>(s));
    layout::Story story = ToLayoutStory(package, composition, s, indexes, document);
    document.stories.push_back(std::move(story));
  }
  for (const Page& page : package.pages) {
    layout::Page out;
    out.name = page.name;
    out.bounds = {page.bounds.top, page.bounds.left, page.bounds.bottom, page.bounds.right};
    out.source_id = page.self;
    document.pages.push_back(std::move(out));
  }
  for (size_t f = 0; f < package.frames.size(); ++f) {
    document.frames.push_back(ToLayoutFrame(package, composition, f, story_index));
  }
  ListPageFrames(package, composition, document);
  return document;
}

bool IsIdmlPath(const std::string& path) { return EndsWithIdml(path); }

Result<std::vector<std::string>> IdmlFilesInFolder(const std::string& folder) {
  MIRUNE_ASSIGN_OR_RETURN(const std::vector<FolderEntry> entries, ListFolder(folder));
  std::vector<std::string> files;
  for (const FolderEntry& entry : entries) {
    if (EndsWithIdml(entry.name) && entry.name[0] != '.' && entry.kind == PathKind::kFile) {
      files.push_back(JoinPath(folder, entry.name));
    }
  }
  if (files.empty())
    return Error{ErrorCode::kNotFound, "フォルダー " + folder + " に .idml ファイルがありません"};
  return files;
}

Result<layout::Book> IdmlBookFromFolder(const std::string& folder) {
  MIRUNE_ASSIGN_OR_RETURN(std::vector<std::string> members, IdmlFilesInFolder(folder));
  return layout::MakeBook(folder, std::move(members));
}

Result<layout::Book> IdmlBookFromFiles(const std::vector<std::string>& paths) {
  if (paths.empty()) {
    return Error{ErrorCode::kInvalidArgument, "ブックには少なくとも一つの文書が要ります"};
  }
  for (const std::string& path : paths) {
    if (!EndsWithIdml(path)) {
      return Error{ErrorCode::kInvalidArgument, path + " は .idml ファイルではありません"};
    }
  }
  std::string folder = ParentFolder(paths[0]);
  if (folder.empty()) folder = ".";
  return layout::MakeBook(folder, paths);
}

namespace {

Result<std::pair<layout::Document, std::shared_ptr<const Package>>> LoadWithPackage(
    const std::string& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes.ok()) return bytes.error();
  MIRUNE_ASSIGN_OR_RETURN(Package read, ReadIdmlPackage(std::move(bytes).value(), path));
  try {
    const Composition composition = Compose(read);
    layout::Document document = ToLayoutDocument(read, composition, path);
    // The document holds the text now; saving reads the original text back from the story
    // parts, so the package need not keep a second copy.
    for (Story& story : read.stories) std::u32string().swap(story.text);
    return std::make_pair(std::move(document), std::make_shared<const Package>(std::move(read)));
  } catch (const std::bad_alloc&) {
    return Error{ErrorCode::kInternal, "IDML パッケージ「" + path + "」を組むメモリーが足りません"};
  }
}

}  // namespace

Result<layout::Document> LoadIdmlDocument(const std::string& path) {
  MIRUNE_ASSIGN_OR_RETURN(auto loaded, LoadWithPackage(path));
  return std::move(loaded.first);
}

struct IdmlFiles::State {
  std::map<std::string, std::shared_ptr<const Package>> packages;
};

IdmlFiles::IdmlFiles() : state_(std::make_shared<State>()) {}

Result<layout::Document> IdmlFiles::Load(const std::string& path) const {
  MIRUNE_ASSIGN_OR_RETURN(auto loaded, LoadWithPackage(path));
  state_->packages[path] = loaded.second;
  return std::move(loaded.first);
}

indesign_engine::Loader IdmlFiles::MakeLoader() const {
  indesign_engine::Loader loader;
  loader.name = "IDML";
  loader.accepts = [](const std::string& path) {
    if (EndsWithIdml(path)) return true;
    return FolderExists(path) && IdmlFilesInFolder(path).ok();
  };
  IdmlFiles files = *this;
  loader.load = [files](const std::string& path) -> Result<indesign_engine::LoadedItem> {
    indesign_engine::LoadedItem item;
    if (!EndsWithIdml(path) && FolderExists(path)) {
      MIRUNE_ASSIGN_OR_RETURN(layout::Book book, IdmlBookFromFolder(path));
      item.book = std::move(book);
      return item;
    }
    MIRUNE_ASSIGN_OR_RETURN(layout::Document document, files.Load(path));
    item.document = std::move(document);
    return item;
  };
  return loader;
}

std::shared_ptr<const Package> IdmlFiles::PackageOf(const std::string& full_name) const {
  auto it = state_->packages.find(full_name);
  return it == state_->packages.end() ? nullptr : it->second;
}

Status IdmlFiles::Save(const layout::Document& document, const std::string& path) const {
  try {
    return SaveOrThrow(document, path);
  } catch (const std::bad_alloc&) {
    return Error{ErrorCode::kInternal,
                 document.name + " を " + path + " に保存するメモリーが足りません"};
  }
}

Status IdmlFiles::SaveOrThrow(const layout::Document& document, const std::string& path) const {
  std::shared_ptr<const Package> original = PackageOf(document.full_name);
  const bool from_package =
      std::any_of(document.stories.begin(), document.stories.end(),
                  [](const layout::Story& story) { return !story.source_id.empty(); });
  if (!original && from_package) {
    // Read from a package this record did not open: its parts are needed, or a new package
    // would silently drop everything the model does not hold (images, styles, layers …).
    auto bytes = ReadFileBytes(document.full_name);
    auto package = bytes.ok() ? ReadIdmlPackage(std::move(bytes).value(), document.full_name)
                              : Result<Package>(bytes.error());
    if (!package.ok()) {
      return Error{ErrorCode::kUnsupported, "読み込み元のパッケージをもう一度読めないため、" +
                                                document.name +
                                                " を保存できません: " + package.message()};
    }
    original = std::make_shared<const Package>(std::move(package).value());
  }
  auto bytes = WriteIdmlPackage(document, original.get());
  if (!bytes.ok()) {
    return Error{bytes.code(), bytes.message() + "（" + document.name + " を " + path +
                                   " に保存できませんでした）"};
  }
  return WriteFileAtomic(path, *bytes);
}

}  // namespace mirune::idml
