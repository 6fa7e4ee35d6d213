#include "automation/idml/idml_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <set>
#include <unordered_map>

#include "automation/idml/story_walker.h"
#include "automation/idml/xml_part.h"

namespace mirune::idml {

namespace {

constexpr const char* kMimeType = "application/vnd.adobe.indesign-idml-package";
constexpr int kMaxGroupDepth = 100;

// A name from the package as it can be shown: control characters as "?", at most 200 bytes.
std::string Printable(std::string_view text) {
  std::string out;
  for (const char c : text.substr(0, 200)) {
    out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
  }
  if (text.size() > 200) out += "…";
  return out;
}

// Element name without its namespace prefix ("idPkg:Story" -> "Story").
const char* LocalName(const pugi::xml_node& node) {
  const char* name = node.name();
  const char* colon = std::strrchr(name, ':');
  return colon ? colon + 1 : name;
}

bool Is(const pugi::xml_node& node, const char* name) {
  return std::strcmp(node.name(), name) == 0;
}

// Calls `visit` for every element below `root` (not `root` itself), depth first, without
// recursion (resource parts can nest groups arbitrarily).
void ForEachElement(const pugi::xml_node& root, const std::function<void(pugi::xml_node)>& visit) {
  std::vector<pugi::xml_node> stack;
  for (pugi::xml_node child = root.last_child(); child; child = child.previous_sibling()) {
    if (child.type() == pugi::node_element) stack.push_back(child);
  }
  while (!stack.empty()) {
    pugi::xml_node node = stack.back();
    stack.pop_back();
    visit(node);
    for (pugi::xml_node child = node.last_child(); child; child = child.previous_sibling()) {
      if (child.type() == pugi::node_element) stack.push_back(child);
    }
  }
}

Matrix ParseTransform(const pugi::xml_node& node) {
  Matrix m;
  const std::vector<double> v = ParseNumberList(Attr(node, "ItemTransform"));
  if (v.size() == 6 && std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); })) {
    m.a = v[0];
    m.b = v[1];
    m.c = v[2];
    m.d = v[3];
    m.tx = v[4];
    m.ty = v[5];
  }
  return m;
}

// "top left bottom right" as a Rect; false when absent or malformed.
bool ParseBounds(const std::string& text, Rect& rect) {
  const std::vector<double> v = ParseNumberList(text);
  if (v.size() != 4) return false;
  for (double x : v) {
    if (!std::isfinite(x)) return false;
  }
  rect.top = std::min(v[0], v[2]);
  rect.left = std::min(v[1], v[3]);
  rect.bottom = std::max(v[0], v[2]);
  rect.right = std::max(v[1], v[3]);
  return true;
}

Rect TransformRect(const Matrix& m, const Rect& r) {
  double xs[4], ys[4];
  m.Apply(r.left, r.top, xs[0], ys[0]);
  m.Apply(r.right, r.top, xs[1], ys[1]);
  m.Apply(r.left, r.bottom, xs[2], ys[2]);
  m.Apply(r.right, r.bottom, xs[3], ys[3]);
  Rect out;
  out.left = *std::min_element(xs, xs + 4);
  out.right = *std::max_element(xs, xs + 4);
  out.top = *std::min_element(ys, ys + 4);
  out.bottom = *std::max_element(ys, ys + 4);
  return out;
}

// The box of a page item's own path (PathPointType anchors), or of its GeometricBounds.
Rect ItemPathBox(const pugi::xml_node& item) {
  Rect box;
  bool any = false;
  const pugi::xml_node geometry = item.child("Properties").child("PathGeometry");
  ForEachElement(geometry, [&](pugi::xml_node node) {
    if (!Is(node, "PathPointType")) return;
    const std::vector<double> v = ParseNumberList(Attr(node, "Anchor"));
    if (v.size() != 2 || !std::isfinite(v[0]) || !std::isfinite(v[1])) return;
    if (!any) {
      box.left = box.right = v[0];
      box.top = box.bottom = v[1];
      any = true;
    } else {
      box.left = std::min(box.left, v[0]);
      box.right = std::max(box.right, v[0]);
      box.top = std::min(box.top, v[1]);
      box.bottom = std::max(box.bottom, v[1]);
    }
  });
  if (!any) ParseBounds(Attr(item, "GeometricBounds"), box);
  return box;
}

class Reader {
 public:
  explicit Reader(Package& package) : package_(package) {}

  Status Read(std::string bytes, const ZipLimits& limits) {
    package_.archive = bytes;
    auto zip = ZipReader::Open(std::move(bytes), limits);
    if (!zip.ok()) {
      not_a_zip_ = true;
      return zip.error();
    }
    zip_ = std::move(zip).value();
    for (const ZipEntry& entry : zip_->entries()) {
      if (!IsSafeEntryName(entry.name)) {
        return Error{ErrorCode::kFormatError,
                     "項目名「" + Printable(entry.name) +
                         "」が展開先のフォルダーの外や別のドライブを指しうるため、読み込みません"};
      }
    }
    for (const ZipEntry& entry : zip_->entries()) {
      if (entry.name.back() == '/') continue;           // a folder entry
      if (package_.stored.count(entry.name)) continue;  // a repeated name
      package_.part_names.push_back(entry.name);
      package_.stored[entry.name] = entry.stored;
      // Story parts are inflated when their story is read, one at a time.
      if (entry.name.starts_with("Stories/")) continue;
      MIRUNE_ASSIGN_OR_RETURN(std::string data, zip_->Read(entry.name));
      package_.parts.emplace(entry.name, std::move(data));
    }
    if (auto it = package_.parts.find("mimetype"); it != package_.parts.end()) {
      std::string type = it->second;
      while (!type.empty() && (type.back() == '\n' || type.back() == '\r' || type.back() == ' ')) {
        type.pop_back();
      }
      if (type != kMimeType) {
        return Error{ErrorCode::kFormatError, "部品 mimetype の種類が IDML ではありません（「" +
                                                  Printable(type.substr(0, 80)) + "」）"};
      }
    }
    MIRUNE_ASSIGN_OR_RETURN(auto designmap, Parse("designmap.xml"));
    const pugi::xml_node document = designmap->document_element();
    if (std::strcmp(LocalName(document), "Document") != 0) {
      return Error{ErrorCode::kFormatError, "部品 designmap.xml に Document 要素がありません"};
    }
    package_.document_name = Attr(document, "Name");

    std::vector<std::string> spread_parts, master_parts, story_parts;
    std::string graphic, styles, preferences;
    for (pugi::xml_node child = document.first_child(); child; child = child.next_sibling()) {
      if (child.type() != pugi::node_element) continue;
      const char* local = LocalName(child);
      const std::string src = Attr(child, "src");
      if (std::strcmp(local, "Spread") == 0 && !src.empty()) spread_parts.push_back(src);
      if (std::strcmp(local, "MasterSpread") == 0 && !src.empty()) master_parts.push_back(src);
      if (std::strcmp(local, "Story") == 0 && !src.empty()) story_parts.push_back(src);
      if (std::strcmp(local, "Graphic") == 0 && !src.empty()) graphic = src;
      if (std::strcmp(local, "Styles") == 0 && !src.empty()) styles = src;
      if (std::strcmp(local, "Preferences") == 0 && !src.empty()) preferences = src;
    }
    if (!preferences.empty()) MIRUNE_RETURN_IF_ERROR(ReadPreferences(preferences));
    if (!graphic.empty()) MIRUNE_RETURN_IF_ERROR(ReadGraphic(graphic));
    if (!styles.empty()) MIRUNE_RETURN_IF_ERROR(ReadStyles(styles));
    for (const std::string& part : master_parts) MIRUNE_RETURN_IF_ERROR(ReadSpread(part, true));
    for (const std::string& part : spread_parts) MIRUNE_RETURN_IF_ERROR(ReadSpread(part, false));

    std::vector<Story> stories;
    for (const std::string& part : story_parts) {
      std::string bytes;
      if (auto it = package_.parts.find(part); it != package_.parts.end()) {
        bytes = std::move(it->second);
        package_.parts.erase(it);
      } else if (package_.stored.count(part)) {
        MIRUNE_ASSIGN_OR_RETURN(bytes, zip_->Read(part));
      } else {
        return Error{ErrorCode::kFormatError,
                     "部品 " + part + " がありません（designmap.xml が指しています）"};
      }
      if (bytes.size() > kMaxStoryXmlBytes) {
        return Error{ErrorCode::kOverflow,
                     "ストーリーの部品 " + part + " が大きすぎるため読み込みません（XML が " +
                         std::to_string(bytes.size() >> 20) + " MiB、上限は " +
                         std::to_string(kMaxStoryXmlBytes >> 20) + " MiB）"};
      }
      MIRUNE_ASSIGN_OR_RETURN(auto xml, ParseXmlPart(bytes, part));
      std::string().swap(bytes);  // the tree holds its own copy
      pugi::xml_node story = xml->document_element();
      if (!Is(story, "Story")) story = story.child("Story");
      if (!story) {
        return Error{ErrorCode::kFormatError, "部品 " + part + " に Story 要素がありません"};
      }
      Story parsed;
      MIRUNE_RETURN_IF_ERROR(ParseStory(story, part, parsed));
      if (parsed.self.empty()) {
        return Error{ErrorCode::kFormatError, "部品 " + part + " のストーリーに Self がありません"};
      }
      MIRUNE_RETURN_IF_ERROR(ReadAnchoredFrames(story, parsed, part));
      stories.push_back(std::move(parsed));
    }
    OrderStories(Attr(document, "StoryList"), std::move(stories));
    return CheckReferences();
  }

 private:
  Result<std::unique_ptr<pugi::xml_document>> Parse(const std::string& part) {
    auto it = package_.parts.find(part);
    if (it == package_.parts.end()) {
      return Error{ErrorCode::kFormatError,
                   "部品 " + part + " がありません（designmap.xml が指しています）"};
    }
    return ParseXmlPart(it->second, part);
  }

  Status ReadPreferences(const std::string& part) {
    MIRUNE_ASSIGN_OR_RETURN(auto xml, Parse(part));
    ForEachElement(xml->document_element(), [&](pugi::xml_node node) {
      if (!Is(node, "DocumentPreference")) return;
      const double width = AttrNumber(node, "PageWidth", 0);
      const double height = AttrNumber(node, "PageHeight", 0);
      if (width > 0 && std::isfinite(width)) package_.page_width = width;
      if (height > 0 && std::isfinite(height)) package_.page_height = height;
      if (node.attribute("FacingPages"))
        package_.facing_pages = Attr(node, "FacingPages") == "true";
    });
    return Status::Ok();
  }

  Status ReadGraphic(const std::string& part) {
    MIRUNE_ASSIGN_OR_RETURN(auto xml, Parse(part));
    ForEachElement(xml->document_element(), [&](pugi::xml_node node) {
      if (!(Is(node, "Color") || Is(node, "Swatch") || Is(node, "Tint") || Is(node, "Gradient") ||
            Is(node, "MixedInk"))) {
        return;
      }
      Swatch swatch;
      swatch.self = Attr(node, "Self");
      if (swatch.self.empty()) return;
      swatch.name = Attr(node, "Name");
      if (swatch.name == "$ID/") swatch.name.clear();
      if (Is(node, "Color")) {
        swatch.space = Attr(node, "Space");
        swatch.components = ParseNumberList(Attr(node, "ColorValue"));
      }
      if (!package_.swatches.count(swatch.self)) package_.swatch_order.push_back(swatch.self);
      package_.swatches[swatch.self] = std::move(swatch);
    });
    return Status::Ok();
  }

  Status ReadStyles(const std::string& part) {
    MIRUNE_ASSIGN_OR_RETURN(auto xml, Parse(part));
    ForEachElement(xml->document_element(), [&](pugi::xml_node node) {
      if (Is(node, "CharacterStyle")) {
        CharacterStyle style;
        style.self = Attr(node, "Self");
        if (style.self.empty()) return;
        style.name = Attr(node, "Name");
        style.fill_color = RefAttr(node, "FillColor");
        style.point_size = std::max(0.0, AttrNumber(node, "PointSize", 0));
        ReadRubyAttributes(node, style.ruby);
        style.based_on = node.child("Properties").child_value("BasedOn");
        if (style.based_on == "n" || style.based_on == "$ID/[No character style]") {
          style.based_on.clear();
        }
        if (!package_.character_styles.count(style.self)) {
          package_.character_style_order.push_back(style.self);
        }
        package_.character_styles[style.self] = std::move(style);
      } else if (Is(node, "ParagraphStyle")) {
        ParagraphStyle style;
        style.self = Attr(node, "Self");
        if (style.self.empty()) return;
        style.name = Attr(node, "Name");
        style.point_size = std::max(0.0, AttrNumber(node, "PointSize", 0));
        style.auto_leading = std::max(0.0, AttrNumber(node, "AutoLeading", 0));
        double leading = AttrNumber(node, "Leading", 0);
        if (leading <= 0) {
          double value = 0;
          if (ParseNumber(node.child("Properties").child_value("Leading"), value)) leading = value;
        }
        style.leading = leading > 0 && std::isfinite(leading) ? leading : 0;
        if (node.attribute("StartParagraph")) {
          style.start_paragraph_set = true;
          style.start_paragraph = BreakKindFromName(Attr(node, "StartParagraph"));
        }
        style.based_on = node.child("Properties").child_value("BasedOn");
        if (style.based_on == "n") style.based_on.clear();
        if (!package_.paragraph_styles.count(style.self)) {
          package_.paragraph_style_order.push_back(style.self);
        }
        package_.paragraph_styles[style.self] = std::move(style);
      }
    });
    return Status::Ok();
  }

  Status ReadSpread(const std::string& part, bool master) {
    MIRUNE_ASSIGN_OR_RETURN(auto xml, Parse(part));
    pugi::xml_node spread_node = xml->document_element();
    if (!Is(spread_node, "Spread") && !Is(spread_node, "MasterSpread")) {
      spread_node = spread_node.child(master ? "MasterSpread" : "Spread");
    }
    if (!spread_node) {
      return Error{
          ErrorCode::kFormatError,
          "部品 " + part + " に " + (master ? "MasterSpread" : "Spread") + " 要素がありません"};
    }
    int spread_index = -1;
    if (!master) {
      Spread spread;
      spread.self = Attr(spread_node, "Self");
      spread.part = part;
      package_.spreads.push_back(std::move(spread));
      spread_index = static_cast<int>(package_.spreads.size()) - 1;
      ReadPages(spread_node, spread_index);
    }
    return ReadItems(spread_node, Matrix(), part, spread_index, master, 0);
  }

  void ReadPages(const pugi::xml_node& spread_node, int spread_index) {
    std::vector<pugi::xml_node> pages;
    for (pugi::xml_node child : spread_node.children("Page")) pages.push_back(child);
    const double binding = AttrNumber(spread_node, "BindingLocation", 0);
    const double width = package_.page_width;
    const double height = package_.page_height;
    for (size_t i = 0; i < pages.size(); ++i) {
      Page page;
      page.self = Attr(pages[i], "Self");
      page.name = Attr(pages[i], "Name");
      // Every page InDesign writes has its displayed name; without one, its position.
      if (page.name.empty()) page.name = std::to_string(package_.pages.size() + 1);
      page.spread = spread_index;
      Rect own;
      if (ParseBounds(Attr(pages[i], "GeometricBounds"), own)) {
        page.bounds = TransformRect(ParseTransform(pages[i]), own);
      } else {
        // Older packages leave page geometry out: pages sit side by side, the binding at x = 0
        // (a single page of a document without facing pages is centred), vertically centred.
        double left = (static_cast<double>(i) - binding) * width;
        if (!package_.facing_pages && pages.size() == 1) left = -width / 2;
        page.bounds = Rect{left, -height / 2, left + width, height / 2};
      }
      package_.spreads[static_cast<size_t>(spread_index)].pages.push_back(
          static_cast<int>(package_.pages.size()));
      package_.pages.push_back(std::move(page));
    }
  }

  Status ReadItems(const pugi::xml_node& parent, const Matrix& outer, const std::string& part,
                   int spread_index, bool master, int depth) {
    if (depth > kMaxGroupDepth) {
      return Error{ErrorCode::kFormatError, "部品 " + part +
                                                " のグループの入れ子が深すぎます（上限 " +
                                                std::to_string(kMaxGroupDepth) + " 段）"};
    }
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
      if (child.type() != pugi::node_element) continue;
      if (Is(child, "TextFrame")) {
        Frame frame;
        MIRUNE_RETURN_IF_ERROR(ReadFrame(child, outer, part, frame));
        frame.master = master;
        frame.spread = master ? -1 : spread_index;
        if (!master) frame.page = PageAt(spread_index, frame.center_x, frame.center_y);
        package_.frames.push_back(std::move(frame));
      } else if (Is(child, "Group")) {
        MIRUNE_RETURN_IF_ERROR(ReadItems(child, outer.After(ParseTransform(child)), part,
                                         spread_index, master, depth + 1));
      }
    }
    return Status::Ok();
  }

  Status ReadFrame(const pugi::xml_node& node, const Matrix& outer, const std::string& part,
                   Frame& frame) {
    frame.self = Attr(node, "Self");
    frame.story = RefAttr(node, "ParentStory");
    frame.previous = RefAttr(node, "PreviousTextFrame");
    frame.next = RefAttr(node, "NextTextFrame");
    if (frame.self.empty() || frame.story.empty()) {
      return Error{ErrorCode::kFormatError,
                   "部品 " + part + " に Self か ParentStory のないテキストフレームがあります"};
    }
    frame.inner = ItemPathBox(node);
    frame.to_spread = outer.After(ParseTransform(node));
    frame.to_spread.Apply((frame.inner.left + frame.inner.right) / 2,
                          (frame.inner.top + frame.inner.bottom) / 2, frame.center_x,
                          frame.center_y);
    const pugi::xml_node preference = node.child("TextFramePreference");
    const double columns = AttrNumber(preference, "TextColumnCount", 1);
    frame.columns = (columns >= 1 && columns <= 40) ? static_cast<int>(columns) : 1;
    const double gutter = AttrNumber(preference, "TextColumnGutter", 12);
    frame.column_gutter = (gutter >= 0 && std::isfinite(gutter)) ? gutter : 12;
    std::vector<double> inset = ParseNumberList(Attr(preference, "InsetSpacing"));
    if (inset.empty()) {
      for (pugi::xml_node item :
           preference.child("Properties").child("InsetSpacing").children("ListItem")) {
        double value = 0;
        if (ParseNumber(item.text().get(), value)) inset.push_back(value);
      }
    }
    if (inset.size() == 1) inset.assign(4, inset[0]);
    if (inset.size() == 4) {
      for (int i = 0; i < 4; ++i) {
        frame.inset[i] = (inset[i] >= 0 && std::isfinite(inset[i])) ? inset[i] : 0;
      }
    }
    return Status::Ok();
  }

  int PageAt(int spread_index, double x, double y) const {
    for (int page : package_.spreads[static_cast<size_t>(spread_index)].pages) {
      if (package_.pages[static_cast<size_t>(page)].bounds.Contains(x, y)) return page;
    }
    return -1;
  }

  // Text frames anchored in the text of `story_node` (inline frames, or frames inside anchored
  // groups): they lie where their anchor character lies, decided in composition.
  Status ReadAnchoredFrames(const pugi::xml_node& story_node, const Story& story,
                            const std::string& part) {
    std::unordered_map<std::string, uint32_t> anchor_of;
    for (const AnchoredItem& item : story.anchored) anchor_of.emplace(item.item, item.position);
    std::vector<pugi::xml_node> frames;
    ForEachElement(story_node, [&](pugi::xml_node node) {
      if (Is(node, "TextFrame")) frames.push_back(node);
    });
    for (const pugi::xml_node& node : frames) {
      Frame frame;
      MIRUNE_RETURN_IF_ERROR(ReadFrame(node, Matrix(), part, frame));
      frame.anchored_in = story.self;
      for (pugi::xml_node up = node; up && up != story_node; up = up.parent()) {
        auto it = anchor_of.find(Attr(up, "Self"));
        if (it != anchor_of.end()) {
          frame.anchor_position = it->second;
          break;
        }
      }
      package_.frames.push_back(std::move(frame));
    }
    return Status::Ok();
  }

  // Stories in the order of the document's StoryList; stories it does not name follow in
  // the order of their parts.
  void OrderStories(const std::string& story_list, std::vector<Story> stories) {
    std::unordered_map<std::string, size_t> by_self;
    for (size_t i = 0; i < stories.size(); ++i) by_self.emplace(stories[i].self, i);
    std::vector<bool> taken(stories.size(), false);
    size_t start = 0;
    while (start < story_list.size()) {
      size_t end = story_list.find(' ', start);
      if (end == std::string::npos) end = story_list.size();
      auto it = by_self.find(story_list.substr(start, end - start));
      if (it != by_self.end() && !taken[it->second]) {
        taken[it->second] = true;
        package_.stories.push_back(std::move(stories[it->second]));
      }
      start = end + 1;
    }
    for (size_t i = 0; i < stories.size(); ++i) {
      if (!taken[i]) package_.stories.push_back(std::move(stories[i]));
    }
  }

  Status CheckReferences() {
    std::set<std::string> story_selfs;
    for (const Story& story : package_.stories) {
      if (!story_selfs.insert(story.self).second) {
        return Error{ErrorCode::kFormatError,
                     "部品 " + story.part + " のストーリー " + story.self + " が二度現れます"};
      }
    }
    std::set<std::string> frame_selfs;
    for (const Frame& frame : package_.frames) frame_selfs.insert(frame.self);
    for (const Frame& frame : package_.frames) {
      const std::string where = frame.anchored_in.empty()
                                    ? PartOfFrame(frame)
                                    : package_.FindStory(frame.anchored_in)->part;
      if (!story_selfs.count(frame.story)) {
        return Error{ErrorCode::kFormatError, "部品 " + where + " のテキストフレーム " +
                                                  frame.self + " が、パッケージにないストーリー " +
                                                  frame.story + " を指しています"};
      }
      for (const std::string* link : {&frame.previous, &frame.next}) {
        if (!link->empty() && !frame_selfs.count(*link)) {
          return Error{ErrorCode::kFormatError, "部品 " + where + " のテキストフレーム " +
                                                    frame.self + " が、パッケージにないフレーム " +
                                                    *link + " に連結されています"};
        }
      }
    }
    return Status::Ok();
  }

  std::string PartOfFrame(const Frame& frame) const {
    if (frame.spread >= 0) return package_.spreads[static_cast<size_t>(frame.spread)].part;
    return "MasterSpreads/";
  }

  Package& package_;
  std::unique_ptr<ZipReader> zip_;

 public:
  bool not_a_zip_ = false;  // the failure was in opening the zip itself
};

}  // namespace

Result<Package> ReadIdmlPackage(std::string bytes, const ZipLimits& limits) {
  return ReadIdmlPackage(std::move(bytes), "", limits);
}

Result<Package> ReadIdmlPackage(std::string bytes, const std::string& name,
                                const ZipLimits& limits) {
  const std::string shown = name.empty() ? "" : "「" + name + "」";
  Status status;
  bool not_a_zip = false;
  Package package;
  try {
    Reader reader(package);
    status = reader.Read(std::move(bytes), limits);
    not_a_zip = reader.not_a_zip_;
  } catch (const std::bad_alloc&) {
    return Error{ErrorCode::kInternal,
                 "IDML パッケージ" + shown + "を読み込むメモリーが足りません"};
  }
  if (status.ok()) return package;
  if (not_a_zip) {
    return Error{status.code(), (name.empty() ? "ファイル" : shown) +
                                    "は IDML パッケージ（zip 形式）ではありません（" +
                                    status.message() + "）"};
  }
  return Error{status.code(), "IDML パッケージ" + shown + "の" + status.message()};
}

uint32_t Story::RunAt(uint32_t index) const {
  auto after = std::upper_bound(run_spans.begin(), run_spans.end(), index,
                                [](uint32_t i, const RunSpan& span) { return i < span.start; });
  return after == run_spans.begin() ? 0 : std::prev(after)->run;
}

const Story* Package::FindStory(const std::string& self) const {
  for (const Story& story : stories) {
    if (story.self == self) return &story;
  }
  return nullptr;
}

int Package::FrameIndex(const std::string& self) const {
  for (size_t i = 0; i < frames.size(); ++i) {
    if (frames[i].self == self) return static_cast<int>(i);
  }
  return -1;
}

const Frame* Package::FindFrame(const std::string& self) const {
  const int index = FrameIndex(self);
  return index < 0 ? nullptr : &frames[static_cast<size_t>(index)];
}

std::string Package::EffectiveFillColor(const Story& story, uint32_t index) const {
  const TextRun& run = story.runs[story.RunAt(index)];
  if (!run.fill_color.empty()) return run.fill_color;
  std::string style = run.character_style;
  for (int guard = 0; guard < 64 && !style.empty(); ++guard) {
    auto it = character_styles.find(style);
    if (it == character_styles.end()) break;
    if (!it->second.fill_color.empty()) return it->second.fill_color;
    style = it->second.based_on;
  }
  return "";
}

std::string Package::SwatchName(const std::string& self) const {
  auto it = swatches.find(self);
  return it == swatches.end() ? "" : it->second.name;
}

std::string Package::CharacterStyleName(const std::string& self) const {
  auto it = character_styles.find(self);
  if (it == character_styles.end()) return "";
  if (it->second.name == "$ID/[No character style]") return "";
  return it->second.name;
}

}  // namespace mirune::idml
