#include "automation/idml/idml_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>

#include "automation/idml/color_element.h"
#include "automation/idml/idml_document.h"
#include "automation/idml/story_walker.h"
#include "automation/idml/xml_part.h"
#include "automation/idml/zip_archive.h"
#include "base/utf.h"

namespace mirune::idml {

namespace {

using layout::kNone;

constexpr const char* kNoCharacterStyle = "CharacterStyle/$ID/[No character style]";

// Selfs for the document's swatches and character styles; new ones are listed for the
// resource parts.
struct Resources {
  std::vector<std::string> swatch_self;  // per layout swatch
  std::vector<std::string> style_self;   // per layout character style
  std::vector<int32_t> new_swatches;     // layout indexes not in the package
  std::vector<int32_t> new_styles;
};

Resources MapResources(const layout::Document& document, const Package& original) {
  Resources out;
  std::set<std::string> taken;
  for (const auto& [self, swatch] : original.swatches) taken.insert(self);
  for (size_t i = 0; i < document.swatches.size(); ++i) {
    const layout::Swatch& swatch = document.swatches[i];
    if (!swatch.source_id.empty() && original.swatches.count(swatch.source_id)) {
      out.swatch_self.push_back(swatch.source_id);
      continue;
    }
    std::string self =
        SelfFromName("Color", swatch.name.empty() ? "u" + std::to_string(i) : swatch.name);
    for (int n = 2; taken.count(self); ++n)
      self = SelfFromName("Color", swatch.name + " " + std::to_string(n));
    taken.insert(self);
    out.swatch_self.push_back(self);
    out.new_swatches.push_back(static_cast<int32_t>(i));
  }
  taken.clear();
  for (const auto& [self, style] : original.character_styles) taken.insert(self);
  for (size_t i = 0; i < document.character_styles.size(); ++i) {
    const layout::CharacterStyle& style = document.character_styles[i];
    if (!style.source_id.empty() && original.character_styles.count(style.source_id)) {
      out.style_self.push_back(style.source_id);
      continue;
    }
    std::string self = SelfFromName("CharacterStyle", style.name);
    for (int n = 2; taken.count(self); ++n) {
      self = SelfFromName("CharacterStyle", style.name + " " + std::to_string(n));
    }
    taken.insert(self);
    out.style_self.push_back(self);
    out.new_styles.push_back(static_cast<int32_t>(i));
  }
  return out;
}

// --- Story rewrite ---

struct LeafRecord {
  StoryLeaf leaf;
  uint32_t run = 0;
  uint32_t begin = 0;  // first original character
  uint32_t count = 0;
};

class LeafCollector : public StoryVisitor {
 public:
  std::vector<pugi::xml_node> run_elements;  // per run: the range element or empty
  std::vector<LeafRecord> leaves;
  std::u32string text;  // the story's characters as the reader counts them
  uint32_t position = 0;

  void OnRun(const pugi::xml_node& range, const pugi::xml_node&) override {
    run_elements.push_back(range);
  }
  void OnLeaf(const StoryLeaf& leaf) override {
    LeafRecord record;
    record.leaf = leaf;
    record.run = leaf.run;
    record.begin = position;
    const size_t before = text.size();
    switch (leaf.kind) {
      case StoryLeaf::Kind::kText:
        for (char32_t c : Utf8ToUtf32(leaf.node.value())) text.push_back(c == 0x2028 ? U'\n' : c);
        break;
      case StoryLeaf::Kind::kBreak:
        text.push_back(kParagraphReturn);
        break;
      case StoryLeaf::Kind::kAce:
      case StoryLeaf::Kind::kObject:
        text.push_back(leaf.object_char);
        break;
    }
    record.count = static_cast<uint32_t>(text.size() - before);
    position += record.count;
    leaves.push_back(record);
  }
};

struct Fmt {
  int32_t style = kNone;
  int32_t fill = kNone;
  bool operator==(const Fmt&) const = default;
};

struct NewChar {
  char32_t c;
  int leaf;  // index into the leaf records
  Fmt format;
};

bool Insertable(char32_t c) {
  if (c == U'\t' || c == U'\n') return true;
  return c >= 0x20 && c != kAnchorChar && c != 0xFFFE && c != 0xFFFF;
}

class StoryRewriter {
 public:
  StoryRewriter(const Package& original, const Story& story, const layout::Story& edited,
                const LayoutIndexes& indexes, const Resources& resources)
      : original_(original),
        story_(story),
        edited_(edited),
        indexes_(indexes),
        resources_(resources) {}

  // The new bytes of the story part; `changed` false when nothing differs.
  Result<std::string> Rewrite(bool& changed) {
    changed = false;
    MIRUNE_ASSIGN_OR_RETURN(auto xml, ParseXmlPart(original_.parts.at(story_.part), story_.part));
    pugi::xml_node story_node = xml->document_element();
    if (std::strcmp(story_node.name(), "Story") != 0) story_node = story_node.child("Story");
    LeafCollector collector;
    MIRUNE_RETURN_IF_ERROR(WalkStory(story_node, story_.part, collector));
    collector_ = &collector;

    // Formats the document was loaded with, per original run.
    std::vector<Fmt> run_format;
    for (const TextRun& run : story_.runs) {
      run_format.push_back(
          {indexes_.CharacterStyle(run.character_style), indexes_.Swatch(run.fill_color)});
    }
    // The loaded model no longer holds the story's original text (IdmlFiles lets it go once
    // the document has it): the walk gives it back.
    const std::u32string& old_text = collector.text;
    const std::u32string& new_text = edited_.text;
    std::vector<int> leaf_of_old(old_text.size(), -1);
    for (size_t l = 0; l < collector.leaves.size(); ++l) {
      const LeafRecord& r = collector.leaves[l];
      for (uint32_t i = 0; i < r.count && r.begin + i < old_text.size(); ++i) {
        leaf_of_old[r.begin + i] = static_cast<int>(l);
      }
    }
    size_t prefix = 0;
    while (prefix < old_text.size() && prefix < new_text.size() &&
           old_text[prefix] == new_text[prefix]) {
      ++prefix;
    }
    size_t suffix = 0;
    while (suffix < old_text.size() - prefix && suffix < new_text.size() - prefix &&
           old_text[old_text.size() - 1 - suffix] == new_text[new_text.size() - 1 - suffix]) {
      ++suffix;
    }
    const bool text_changed = old_text != new_text;

    // For each new character, the original character it is (or -1 for added text): the
    // common start and end, and between them the shortest edit.
    std::vector<int64_t> source(new_text.size(), -1);
    for (size_t i = 0; i < prefix; ++i) source[i] = static_cast<int64_t>(i);
    for (size_t i = 0; i < suffix; ++i) {
      source[new_text.size() - 1 - i] = static_cast<int64_t>(old_text.size() - 1 - i);
    }
    const std::u32string_view old_middle(old_text.data() + prefix,
                                         old_text.size() - prefix - suffix);
    const std::u32string_view new_middle(new_text.data() + prefix,
                                         new_text.size() - prefix - suffix);
    if (auto kept = KeptCharacters(old_middle, new_middle, 1000)) {
      for (size_t i = 0; i < kept->size(); ++i) {
        if ((*kept)[i] >= 0) source[prefix + i] = (*kept)[i] + static_cast<int64_t>(prefix);
      }
    } else {
      // Too many edits to align: the whole stretch is taken as replaced, which is right only
      // while every character it drops is plain text.
      for (size_t k = prefix; k < old_text.size() - suffix; ++k) {
        const int l = leaf_of_old[k];
        if (l < 0 || collector.leaves[static_cast<size_t>(l)].leaf.kind != StoryLeaf::Kind::kText) {
          return Error{ErrorCode::kUnsupported, "ストーリー " + story_.self + "（部品 " +
                                                    story_.part +
                                                    "）は離れた編集が多すぎて書き戻せません"};
        }
      }
    }
    for (size_t i = 0; i < new_text.size(); ++i) {
      if (source[i] < 0 && !Insertable(new_text[i])) {
        return Error{ErrorCode::kUnsupported,
                     "ストーリー " + story_.self + "（部品 " + story_.part +
                         "）に段落の区切りか特殊文字が加えられており、IDML に書き戻せません"};
      }
    }

    // The new characters, each with the leaf it belongs to and its new format. Added text
    // joins the text before it, else the text after it, else gets content of its own.
    chars_.clear();
    chars_.reserve(new_text.size());
    size_t run = 0;
    int insert_leaf = -1;
    for (size_t i = 0; i < new_text.size(); ++i) {
      while (run + 1 < edited_.runs.size() &&
             static_cast<size_t>(edited_.runs[run + 1].start) <= i) {
        ++run;
      }
      const layout::TextFormat& f = edited_.runs[run].format;
      int leaf;
      if (source[i] >= 0) {
        leaf = leaf_of_old[static_cast<size_t>(source[i])];
        insert_leaf = -1;
      } else {
        if (insert_leaf < 0) {
          const int64_t before = i > 0 ? source[i - 1] : -1;
          size_t j = i;
          while (j < new_text.size() && source[j] < 0) ++j;
          const int64_t after = j < new_text.size() ? source[j] : -1;
          MIRUNE_ASSIGN_OR_RETURN(insert_leaf,
                                  InsertionLeaf(collector, leaf_of_old, before, after, i == 0));
        }
        leaf = insert_leaf;
      }
      chars_.push_back({new_text[i], leaf, {f.character_style, f.fill_color}});
    }
    chars_of_leaf_.assign(collector.leaves.size(), {});
    leaves_of_run_.assign(collector.run_elements.size(), {});
    for (size_t l = 0; l < collector.leaves.size(); ++l) {
      leaves_of_run_[collector.leaves[l].run].push_back(l);
    }
    for (size_t i = 0; i < chars_.size(); ++i) {
      if (chars_[i].leaf >= 0) chars_of_leaf_[static_cast<size_t>(chars_[i].leaf)].push_back(i);
    }

    // Which runs need rewriting.
    std::vector<bool> dirty(collector.run_elements.size(), false);
    for (size_t l = 0; l < collector.leaves.size(); ++l) {
      const LeafRecord& r = collector.leaves[l];
      const Fmt original_format = run_format[r.run];
      bool leaf_dirty = chars_of_leaf_[l].size() != r.count;
      for (size_t k = 0; !leaf_dirty && k < chars_of_leaf_[l].size(); ++k) {
        const NewChar& c = chars_[chars_of_leaf_[l][k]];
        if (!(c.format == original_format)) leaf_dirty = true;
        if (c.c != old_text[r.begin + k]) leaf_dirty = true;
      }
      if (leaf_dirty) dirty[r.run] = true;
    }
    if (!text_changed && std::none_of(dirty.begin(), dirty.end(), [](bool d) { return d; })) {
      return std::string();
    }
    // Later runs first: a run nested in another (a footnote's ranges) is rewritten before the
    // range holding it moves its children into the ranges that replace it.
    for (size_t r = dirty.size(); r-- > 0;) {
      if (!dirty[r]) continue;
      MIRUNE_RETURN_IF_ERROR(RewriteRun(r, run_format[r]));
    }
    for (pugi::xml_node node : to_remove_) node.parent().remove_child(node);
    to_remove_.clear();
    changed = true;
    return SerializeXmlLike(*xml, original_.parts.at(story_.part));
  }

 private:
  // The leaf that added text goes into, between original characters `before` and `after`
  // (-1: none): the text leaf before, else the one after, else new content beside a
  // neighbouring paragraph return, object or special character.
  Result<int> InsertionLeaf(LeafCollector& collector, const std::vector<int>& leaf_of_old,
                            int64_t before, int64_t after, bool at_start) {
    auto text_leaf = [&](int64_t old_index) {
      if (old_index < 0 || static_cast<size_t>(old_index) >= leaf_of_old.size()) return -1;
      const int l = leaf_of_old[static_cast<size_t>(old_index)];
      return l >= 0 && collector.leaves[static_cast<size_t>(l)].leaf.kind == StoryLeaf::Kind::kText
                 ? l
                 : -1;
    };
    if (int l = text_leaf(before); l >= 0) return l;
    if (int l = text_leaf(after); l >= 0) return l;
    // Text between them that was deleted.
    const int64_t last = after >= 0 ? after : static_cast<int64_t>(leaf_of_old.size());
    for (int64_t k = before + 1; k < last; ++k) {
      if (int l = text_leaf(k); l >= 0) return l;
    }
    const int64_t near_index = before >= 0 && !at_start ? before : after;
    const int neighbour = near_index >= 0 && static_cast<size_t>(near_index) < leaf_of_old.size()
                              ? leaf_of_old[static_cast<size_t>(near_index)]
                              : -1;
    if (neighbour < 0) {
      return Error{ErrorCode::kUnsupported,
                   "ストーリー " + story_.self + "（部品 " + story_.part +
                       "）で、文字のない箇所に文字が加えられており、書き戻せません"};
    }
    const bool place_after = near_index == before;
    const LeafRecord& near = collector.leaves[static_cast<size_t>(neighbour)];
    LeafRecord added;
    added.leaf.kind = StoryLeaf::Kind::kText;
    added.leaf.run = near.run;
    added.run = near.run;
    added.begin = 0;
    added.count = 0;
    pugi::xml_node node = near.leaf.node;
    pugi::xml_node parent = node.parent();
    if (near.leaf.kind == StoryLeaf::Kind::kAce) {
      added.leaf.content = near.leaf.content;
      added.leaf.node = place_after ? parent.insert_child_after(pugi::node_pcdata, node)
                                    : parent.insert_child_before(pugi::node_pcdata, node);
    } else {
      // Where the text goes in the part so that it reads back in the same place: a footnote's
      // and a table's own text follow their character, and a cell's end is the Cell element.
      const bool cell_end = near.leaf.object_char == kCellEndChar && Is(node, "Cell");
      pugi::xml_node content;
      if (place_after && Is(node, "Footnote")) {
        content = node.prepend_child("Content");
      } else if (place_after && Is(node, "Table") && node.child("Cell")) {
        content = node.child("Cell").prepend_child("Content");
      } else if (place_after && cell_end) {
        pugi::xml_node next = node.next_sibling("Cell");
        content = next ? next.prepend_child("Content")
                       : parent.parent().insert_child_after("Content", parent);
      } else if (!place_after && cell_end) {
        content = node.append_child("Content");
      } else {
        content = place_after ? parent.insert_child_after("Content", node)
                              : parent.insert_child_before("Content", node);
      }
      added.leaf.content = content;
      added.leaf.node = content.append_child(pugi::node_pcdata);
    }
    collector.leaves.push_back(added);
    return static_cast<int>(collector.leaves.size()) - 1;
  }

  // The shortest edit from `a` to `b` (Myers' algorithm, at most `limit` insertions and
  // deletions): for each character of `b`, the index of the character of `a` it keeps, or -1.
  static std::optional<std::vector<int64_t>> KeptCharacters(std::u32string_view a,
                                                            std::u32string_view b, int64_t limit) {
    const int64_t n = static_cast<int64_t>(a.size()), m = static_cast<int64_t>(b.size());
    const int64_t max = std::min(n + m, limit);
    const int64_t offset = max + 1;
    std::vector<int64_t> v(static_cast<size_t>(2 * max + 3), 0);
    std::vector<std::vector<int64_t>> trace;
    for (int64_t d = 0; d <= max; ++d) {
      trace.emplace_back(v.begin() + (offset - d), v.begin() + (offset + d + 1));
      for (int64_t k = -d; k <= d; k += 2) {
        int64_t x = (k == -d || (k != d && v[static_cast<size_t>(offset + k - 1)] <
                                               v[static_cast<size_t>(offset + k + 1)]))
                        ? v[static_cast<size_t>(offset + k + 1)]
                        : v[static_cast<size_t>(offset + k - 1)] + 1;
        int64_t y = x - k;
        while (x < n && y < m && a[static_cast<size_t>(x)] == b[static_cast<size_t>(y)]) {
          ++x;
          ++y;
        }
        v[static_cast<size_t>(offset + k)] = x;
        if (x >= n && y >= m) {
          // Walk back through the saved fronts.
          std::vector<int64_t> kept(static_cast<size_t>(m), -1);
          int64_t cx = n, cy = m;
          for (int64_t e = d; e > 0; --e) {
            const std::vector<int64_t>& front = trace[static_cast<size_t>(e)];
            auto at = [&](int64_t kk) { return front[static_cast<size_t>(kk + e)]; };
            // front holds the values before step e, for diagonals -e … e.
            const int64_t ck = cx - cy;
            const bool down =
                ck == -e || (ck != e && at(ck - 1) < at(ck + 1));  // an insertion from b
            const int64_t pk = down ? ck + 1 : ck - 1;
            const int64_t px = at(pk);
            const int64_t py = px - pk;
            const int64_t sx = down ? px : px + 1;
            // The diagonal run after the step keeps characters.
            for (int64_t tx = sx, ty = sx - ck; tx < cx && ty < cy; ++tx, ++ty) {
              kept[static_cast<size_t>(ty)] = tx;
            }
            cx = px;
            cy = py;
          }
          for (int64_t tx = 0; tx < cx && tx < cy; ++tx) kept[static_cast<size_t>(tx)] = tx;
          return kept;
        }
      }
    }
    return std::nullopt;
  }

  // Builds the children of a Content element for the characters `indexes` (text and ACE
  // instructions) into `target`.
  void FillContent(pugi::xml_node target, const std::vector<size_t>& indexes) {
    std::string text;
    auto flush = [&] {
      if (!text.empty()) target.append_child(pugi::node_pcdata).set_value(text.c_str());
      text.clear();
    };
    for (size_t i : indexes) {
      const NewChar& c = chars_[i];
      const LeafRecord& r = collector_->leaves[static_cast<size_t>(c.leaf)];
      if (r.leaf.kind == StoryLeaf::Kind::kAce) {
        flush();
        target.append_copy(r.leaf.node);
      } else {
        AppendUtf8(text, c.c == U'\n' ? char32_t{0x2028} : c.c);
      }
    }
    flush();
  }

  // Leaves (by index) below `node`, in order.
  std::vector<size_t> LeavesUnder(const pugi::xml_node& node, size_t run) const {
    std::vector<size_t> out;
    for (size_t l : leaves_of_run_[run]) {
      const LeafRecord& r = collector_->leaves[l];
      for (pugi::xml_node up = r.leaf.node; up; up = up.parent()) {
        if (up == node) {
          out.push_back(l);
          break;
        }
      }
    }
    return out;
  }

  // New characters of the given leaves, in order.
  std::vector<size_t> CharsOf(const std::vector<size_t>& leaves) const {
    std::vector<size_t> out;
    for (size_t l : leaves) {
      out.insert(out.end(), chars_of_leaf_[l].begin(), chars_of_leaf_[l].end());
    }
    return out;
  }

  // Characters of the leaves inside one Content element.
  std::vector<size_t> CharsOfContent(const pugi::xml_node& content, size_t run) const {
    std::vector<size_t> leaves;
    for (size_t l : leaves_of_run_[run]) {
      if (collector_->leaves[l].leaf.content == content) leaves.push_back(l);
    }
    return CharsOf(leaves);
  }

  // Writes the new text of this run's Content elements at or below `node` in place (text
  // edits; formats stay): a fresh Content before each, the old one removed at the end.
  void RewriteContentsIn(const pugi::xml_node& node, size_t run) {
    std::vector<pugi::xml_node> contents;
    for (size_t l : leaves_of_run_[run]) {
      const pugi::xml_node content = collector_->leaves[l].leaf.content;
      if (!content || std::find(contents.begin(), contents.end(), content) != contents.end()) {
        continue;
      }
      for (pugi::xml_node up = content; up; up = up.parent()) {
        if (up == node) {
          contents.push_back(content);
          break;
        }
      }
    }
    for (const pugi::xml_node& content : contents) {
      if (!rewritten_.insert(content.internal_object()).second) continue;
      pugi::xml_node fresh = content.parent().insert_child_before("Content", content);
      FillContent(fresh, CharsOfContent(content, run));
      to_remove_.push_back(content);
    }
  }

  Status RewriteRun(size_t run, const Fmt& original_format) {
    pugi::xml_node range = collector_->run_elements[run];
    if (!range) {
      // Text outside any character range: its text is written back; a format cannot be.
      for (size_t l : leaves_of_run_[run]) {
        const pugi::xml_node content = collector_->leaves[l].leaf.content;
        if (content) RewriteContentsIn(content, run);
      }
      return Status::Ok();
    }
    std::vector<pugi::xml_node> properties, children;
    for (pugi::xml_node child = range.first_child(); child; child = child.next_sibling()) {
      if (child.type() != pugi::node_element) continue;
      if (std::strcmp(child.name(), "Properties") == 0) {
        properties.push_back(child);
      } else {
        children.push_back(child);
      }
    }
    Emit(children, range.parent(), range, range, properties, run, original_format, false);
    // Removed at the end: the leaves of later runs still point into the tree.
    to_remove_.push_back(range);
    return Status::Ok();
  }

  static bool Is(const pugi::xml_node& node, const char* name) {
    return std::strcmp(node.name(), name) == 0;
  }

  static bool IsWrapper(const pugi::xml_node& node) {
    for (const char* name :
         {"XMLElement", "HyperlinkTextSource", "CrossReferenceSource", "Change", "HiddenText"}) {
      if (std::strcmp(node.name(), name) == 0) return true;
    }
    return false;
  }

  // Puts `nodes` (children of the range `range`, or of a wrapper element inside it) into new
  // ranges made like `range`, one per stretch of one format, inserted into `parent` before
  // `before` (appended when `before` is empty). A wrapper (an XML element, a hyperlink …)
  // whose text now has several formats cannot sit inside one range: it moves out to `parent`
  // and the new ranges go inside it.
  void Emit(const std::vector<pugi::xml_node>& nodes, pugi::xml_node parent, pugi::xml_node before,
            const pugi::xml_node& range, const std::vector<pugi::xml_node>& properties, size_t run,
            const Fmt& original_format, bool in_wrapper) {
    struct Piece {
      bool inherit = false;  // no text: joins its neighbour's group
      bool hoist = false;    // a wrapper with several formats
      Fmt format;
      pugi::xml_node node;          // an existing element to move, or
      std::vector<size_t> content;  // the characters of a new Content element
    };
    std::vector<Piece> pieces;
    for (const pugi::xml_node& child : nodes) {
      const std::vector<size_t> leaves = LeavesUnder(child, run);
      if (leaves.empty()) {
        // Inside a wrapper, elements without text (XML attributes …) stay where they are.
        if (in_wrapper) continue;
        Piece piece;
        piece.inherit = true;
        piece.node = child;
        pieces.push_back(piece);
        continue;
      }
      const std::vector<size_t> chars = CharsOf(leaves);
      if (std::strcmp(child.name(), "Content") == 0) {
        for (size_t i = 0; i < chars.size();) {
          size_t j = i;
          while (j < chars.size() && chars_[chars[j]].format == chars_[chars[i]].format) ++j;
          Piece piece;
          piece.format = chars_[chars[i]].format;
          piece.content.assign(chars.begin() + static_cast<long>(i),
                               chars.begin() + static_cast<long>(j));
          pieces.push_back(std::move(piece));
          i = j;
        }
        if (in_wrapper) to_remove_.push_back(child);
        continue;
      }
      if (chars.empty()) {
        if (in_wrapper) to_remove_.push_back(child);  // a deleted break or object
        continue;
      }
      Piece piece;
      piece.format = chars_[chars[0]].format;
      piece.node = child;
      piece.hoist = IsWrapper(child) && std::any_of(chars.begin(), chars.end(), [&](size_t c) {
                      return !(chars_[c].format == piece.format);
                    });
      if (!piece.hoist) RewriteContentsIn(child, run);
      pieces.push_back(piece);
    }
    // Group neighbours of one format; pieces without text join the group before them; a
    // hoisted wrapper stands alone.
    struct Group {
      Fmt format;
      std::vector<size_t> pieces;
      bool hoist = false;
    };
    std::vector<Group> groups;
    for (size_t p = 0; p < pieces.size(); ++p) {
      const Piece& piece = pieces[p];
      if (piece.hoist) {
        groups.push_back({piece.format, {p}, true});
        continue;
      }
      if (!groups.empty() && !groups.back().hoist &&
          (piece.inherit || groups.back().format == piece.format)) {
        groups.back().pieces.push_back(p);
        continue;
      }
      groups.push_back({piece.inherit ? original_format : piece.format, {p}, false});
    }
    // A leading text-less group joins the next one.
    if (groups.size() > 1 && !groups[1].hoist &&
        std::all_of(groups[0].pieces.begin(), groups[0].pieces.end(),
                    [&](size_t p) { return pieces[p].inherit; })) {
      groups[1].pieces.insert(groups[1].pieces.begin(), groups[0].pieces.begin(),
                              groups[0].pieces.end());
      groups.erase(groups.begin());
    }
    for (const Group& group : groups) {
      if (group.hoist) {
        pugi::xml_node wrapper = pieces[group.pieces[0]].node;
        wrapper = before ? parent.insert_move_before(wrapper, before) : parent.append_move(wrapper);
        std::vector<pugi::xml_node> inner;
        for (pugi::xml_node c = wrapper.first_child(); c; c = c.next_sibling()) {
          if (c.type() == pugi::node_element) inner.push_back(c);
        }
        Emit(inner, wrapper, pugi::xml_node(), range, properties, run, original_format, true);
        continue;
      }
      pugi::xml_node copy = before ? parent.insert_child_before(range.name(), before)
                                   : parent.append_child(range.name());
      for (pugi::xml_attribute a : range.attributes()) copy.append_copy(a);
      if (!(group.format.style == original_format.style)) {
        const std::string self =
            group.format.style == kNone
                ? kNoCharacterStyle
                : resources_.style_self[static_cast<size_t>(group.format.style)];
        SetAttribute(copy, "AppliedCharacterStyle", self);
      }
      if (!(group.format.fill == original_format.fill)) {
        if (group.format.fill == kNone) {
          copy.remove_attribute("FillColor");
        } else {
          SetAttribute(copy, "FillColor",
                       resources_.swatch_self[static_cast<size_t>(group.format.fill)]);
        }
      }
      for (const pugi::xml_node& p : properties) copy.append_copy(p);
      for (size_t index : group.pieces) {
        const Piece& piece = pieces[index];
        if (piece.node) {
          copy.append_move(piece.node);
        } else {
          FillContent(copy.append_child("Content"), piece.content);
        }
      }
    }
  }

  static void SetAttribute(pugi::xml_node node, const char* name, const std::string& value) {
    pugi::xml_attribute a = node.attribute(name);
    if (!a) a = node.append_attribute(name);
    a.set_value(value.c_str());
  }

  const Package& original_;
  const Story& story_;
  const layout::Story& edited_;
  const LayoutIndexes& indexes_;
  const Resources& resources_;
  LeafCollector* collector_ = nullptr;
  std::vector<NewChar> chars_;
  std::vector<std::vector<size_t>> chars_of_leaf_;
  std::vector<std::vector<size_t>> leaves_of_run_;
  std::vector<pugi::xml_node> to_remove_;
  std::set<const void*> rewritten_;  // Content elements already written anew
};

Result<std::string> AddSwatches(const layout::Document& document, const Package& original,
                                const Resources& resources, const std::string& part) {
  MIRUNE_ASSIGN_OR_RETURN(auto xml, ParseXmlPart(original.parts.at(part), part));
  pugi::xml_node root = xml->document_element();
  pugi::xml_node after;
  for (pugi::xml_node child : root.children("Color")) after = child;
  for (int32_t index : resources.new_swatches) {
    const layout::Swatch& swatch = document.swatches[static_cast<size_t>(index)];
    pugi::xml_node color =
        after ? root.insert_child_after("Color", after) : root.prepend_child("Color");
    after = color;
    for (const auto& [name, value] : ColorAttributes(
             resources.swatch_self[static_cast<size_t>(index)], swatch.name, swatch.value, true)) {
      color.append_attribute(name.c_str()).set_value(value.c_str());
    }
    // Newer packages list the swatches the panel shows in the root colour group.
    for (pugi::xml_node group : root.children("ColorGroup")) {
      if (std::strcmp(group.attribute("IsRootColorGroup").value(), "true") != 0) continue;
      const std::string self = resources.swatch_self[static_cast<size_t>(index)];
      pugi::xml_node entry = group.append_child("ColorGroupSwatch");
      entry.append_attribute("Self").set_value(
          (std::string(group.attribute("Self").value()) + "Swatch" + self).c_str());
      entry.append_attribute("SwatchItemRef").set_value(self.c_str());
      break;
    }
  }
  return SerializeXmlLike(*xml, original.parts.at(part));
}

Result<std::string> AddCharacterStyles(const layout::Document& document, const Package& original,
                                       const Resources& resources, const std::string& part) {
  MIRUNE_ASSIGN_OR_RETURN(auto xml, ParseXmlPart(original.parts.at(part), part));
  pugi::xml_node root = xml->document_element();
  pugi::xml_node group = root.child("RootCharacterStyleGroup");
  if (!group) {
    group = root.append_child("RootCharacterStyleGroup");
    group.append_attribute("Self").set_value("u79");
  }
  for (int32_t index : resources.new_styles) {
    const layout::CharacterStyle& style = document.character_styles[static_cast<size_t>(index)];
    pugi::xml_node node = group.append_child("CharacterStyle");
    node.append_attribute("Self").set_value(
        resources.style_self[static_cast<size_t>(index)].c_str());
    node.append_attribute("Imported").set_value("false");
    node.append_attribute("KeyboardShortcut").set_value("0 0");
    node.append_attribute("Name").set_value(style.name.c_str());
    if (style.fill_color != kNone) {
      node.append_attribute("FillColor")
          .set_value(resources.swatch_self[static_cast<size_t>(style.fill_color)].c_str());
    }
    pugi::xml_node properties = node.append_child("Properties");
    pugi::xml_node based = properties.append_child("BasedOn");
    based.append_attribute("type").set_value("string");
    const std::string base = style.based_on == kNone
                                 ? "$ID/[No character style]"
                                 : resources.style_self[static_cast<size_t>(style.based_on)];
    based.text().set(base.c_str());
  }
  return SerializeXmlLike(*xml, original.parts.at(part));
}

std::string ResourcePart(const Package& original, const char* local_name) {
  auto it = original.parts.find("designmap.xml");
  if (it == original.parts.end()) return "";
  auto xml = ParseXmlPart(it->second, "designmap.xml");
  if (!xml.ok()) return "";
  for (pugi::xml_node child : (*xml)->document_element().children()) {
    const char* name = child.name();
    const char* colon = std::strrchr(name, ':');
    if (std::strcmp(colon ? colon + 1 : name, local_name) == 0)
      return child.attribute("src").value();
  }
  return "";
}

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
    StoryRewriter rewriter(*original, *it->second, edited, indexes, resources);
    bool changed = false;
    MIRUNE_ASSIGN_OR_RETURN(std::string bytes, rewriter.Rewrite(changed));
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
    zip.Add(name, it != replaced.end() ? it->second : original->parts.at(name),
            stored || name == "mimetype");
  }
  return zip.Finish();
}

}  // namespace mirune::idml
