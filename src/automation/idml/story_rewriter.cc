#include "automation/idml/story_rewriter.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

#include "automation/idml/story_walker.h"
#include "automation/idml/xml_part.h"
#include "base/utf.h"

namespace mirune::idml {

namespace {

using layout::kNone;

constexpr const char* kNoCharacterStyle = "CharacterStyle/$ID/[No character style]";

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
  StoryRewriter(const std::string& part_bytes, const Story& story, const layout::Story& edited,
                const LayoutIndexes& indexes, const Resources& resources)
      : part_bytes_(part_bytes),
        story_(story),
        edited_(edited),
        indexes_(indexes),
        resources_(resources) {}

  // The new bytes of the story part; `changed` false when nothing differs.
  Result<std::string> Rewrite(bool& changed) {
    changed = false;
    MIRUNE_ASSIGN_OR_RETURN(auto xml, ParseXmlPart(part_bytes_, story_.part));
    pugi::xml_node story_node = xml->document_element();
    if (std::strcmp(story_node.name(), "Story") != 0) story_node = story_node.child("Story");
    LeafCollector collector;
    MIRUNE_RETURN_IF_ERROR(WalkStory(story_node, story_.part, collector));
    collector_ = &collector;
    // The loaded model no longer holds the story's original text (IdmlFiles lets it go once
    // the document has it): the walk gives it back.
    const std::u32string& old_text = collector.text;
    const std::vector<int> leaf_of_old = LeafOfOld(old_text.size());
    MIRUNE_ASSIGN_OR_RETURN(const std::vector<int64_t> source, Align(old_text, leaf_of_old));
    MIRUNE_RETURN_IF_ERROR(AssignCharacters(source, leaf_of_old));

    const std::vector<Fmt> run_format = LoadedFormats();
    const std::vector<bool> dirty = DirtyRuns(run_format, old_text);
    if (old_text == edited_.text &&
        std::none_of(dirty.begin(), dirty.end(), [](bool d) { return d; })) {
      return std::string();
    }
    // Later runs first: a run nested in another (a footnote's ranges) is rewritten before the
    // range holding it moves its children into the ranges that replace it.
    for (size_t r = dirty.size(); r-- > 0;) {
      if (dirty[r]) RewriteRun(r, run_format[r]);
    }
    for (pugi::xml_node node : to_remove_) node.parent().remove_child(node);
    to_remove_.clear();
    changed = true;
    return SerializeXmlLike(*xml, part_bytes_);
  }

 private:
  // Per original character, the leaf holding it.
  std::vector<int> LeafOfOld(size_t size) const {
    std::vector<int> leaf_of_old(size, -1);
    for (size_t l = 0; l < collector_->leaves.size(); ++l) {
      const LeafRecord& r = collector_->leaves[l];
      for (uint32_t i = 0; i < r.count && r.begin + i < size; ++i) {
        leaf_of_old[r.begin + i] = static_cast<int>(l);
      }
    }
    return leaf_of_old;
  }

  // For each new character, the original character it is (or -1 for added text): the
  // common start and end, and between them the shortest edit.
  Result<std::vector<int64_t>> Align(const std::u32string& old_text,
                                     const std::vector<int>& leaf_of_old) const {
    const std::u32string& new_text = edited_.text;
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
        if (l < 0 ||
            collector_->leaves[static_cast<size_t>(l)].leaf.kind != StoryLeaf::Kind::kText) {
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
    return source;
  }

  // The new characters, each with the leaf it belongs to and its new format. Added text
  // joins the text before it, else the text after it, else gets content of its own.
  Status AssignCharacters(const std::vector<int64_t>& source, const std::vector<int>& leaf_of_old) {
    const std::u32string& new_text = edited_.text;
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
                                  InsertionLeaf(*collector_, leaf_of_old, before, after, i == 0));
        }
        leaf = insert_leaf;
      }
      chars_.push_back({new_text[i], leaf, {f.character_style, f.fill_color}});
    }
    chars_of_leaf_.assign(collector_->leaves.size(), {});
    leaves_of_run_.assign(collector_->run_elements.size(), {});
    for (size_t l = 0; l < collector_->leaves.size(); ++l) {
      leaves_of_run_[collector_->leaves[l].run].push_back(l);
    }
    for (size_t i = 0; i < chars_.size(); ++i) {
      if (chars_[i].leaf >= 0) chars_of_leaf_[static_cast<size_t>(chars_[i].leaf)].push_back(i);
    }
    return Status::Ok();
  }

  // Formats the document was loaded with, per original run.
  std::vector<Fmt> LoadedFormats() const {
    std::vector<Fmt> run_format;
    run_format.reserve(story_.runs.size());
    for (const TextRun& run : story_.runs) {
      run_format.push_back(
          {indexes_.CharacterStyle(run.character_style), indexes_.Swatch(run.fill_color)});
    }
    return run_format;
  }

  // Which runs need rewriting: a leaf whose characters or their formats changed.
  std::vector<bool> DirtyRuns(const std::vector<Fmt>& run_format,
                              const std::u32string& old_text) const {
    std::vector<bool> dirty(collector_->run_elements.size(), false);
    for (size_t l = 0; l < collector_->leaves.size(); ++l) {
      const LeafRecord& r = collector_->leaves[l];
      bool leaf_dirty = chars_of_leaf_[l].size() != r.count;
      for (size_t k = 0; !leaf_dirty && k < chars_of_leaf_[l].size(); ++k) {
        const NewChar& c = chars_[chars_of_leaf_[l][k]];
        if (!(c.format == run_format[r.run]) || c.c != old_text[r.begin + k]) leaf_dirty = true;
      }
      if (leaf_dirty) dirty[r.run] = true;
    }
    return dirty;
  }

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

  // For each of `nodes`, the leaves of `run` at or below it, in order. Each leaf climbs to
  // the node holding it once, so that a range of many children costs its size, not its
  // size squared.
  std::vector<std::vector<size_t>> LeavesByNode(const std::vector<pugi::xml_node>& nodes,
                                                size_t run) const {
    std::unordered_map<const void*, size_t> index;
    for (size_t n = 0; n < nodes.size(); ++n) index.emplace(nodes[n].internal_object(), n);
    std::vector<std::vector<size_t>> out(nodes.size());
    for (size_t l : leaves_of_run_[run]) {
      for (pugi::xml_node up = collector_->leaves[l].leaf.node; up; up = up.parent()) {
        auto it = index.find(up.internal_object());
        if (it != index.end()) {
          out[it->second].push_back(l);
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

  // Writes the new text of the Content elements holding `leaves` in place (text edits;
  // formats stay): a fresh Content before each, the old one removed at the end.
  void RewriteContents(const std::vector<size_t>& leaves) {
    std::vector<pugi::xml_node> contents;
    std::unordered_map<const void*, std::vector<size_t>> leaves_of_content;
    for (size_t l : leaves) {
      const pugi::xml_node content = collector_->leaves[l].leaf.content;
      if (!content) continue;
      std::vector<size_t>& of = leaves_of_content[content.internal_object()];
      if (of.empty()) contents.push_back(content);
      of.push_back(l);
    }
    for (const pugi::xml_node& content : contents) {
      if (!rewritten_.insert(content.internal_object()).second) continue;
      pugi::xml_node fresh = content.parent().insert_child_before("Content", content);
      FillContent(fresh, CharsOf(leaves_of_content[content.internal_object()]));
      to_remove_.push_back(content);
    }
  }

  void RewriteRun(size_t run, const Fmt& original_format) {
    pugi::xml_node range = collector_->run_elements[run];
    if (!range) {
      // Text outside any character range: its text is written back; a format cannot be.
      RewriteContents(leaves_of_run_[run]);
      return;
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

  // A stretch of a range's children: an existing element, or the characters of a new
  // Content element.
  struct Piece {
    bool inherit = false;  // no text: joins its neighbour's group
    bool hoist = false;    // a wrapper with several formats
    Fmt format;
    pugi::xml_node node;          // an existing element to move, or
    std::vector<size_t> content;  // the characters of a new Content element
  };
  // Neighbouring pieces that go into one new range (or a hoisted wrapper alone).
  struct Group {
    Fmt format;
    std::vector<size_t> pieces;
    bool hoist = false;
  };

  // The pieces of `nodes` for `run`: Content split where the format changes, other elements
  // whole (their own Content rewritten in place unless they are hoisted).
  std::vector<Piece> PiecesOf(const std::vector<pugi::xml_node>& nodes, size_t run,
                              bool in_wrapper) {
    std::vector<Piece> pieces;
    const std::vector<std::vector<size_t>> leaves_of = LeavesByNode(nodes, run);
    for (size_t n = 0; n < nodes.size(); ++n) {
      const pugi::xml_node& child = nodes[n];
      const std::vector<size_t>& leaves = leaves_of[n];
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
      if (!piece.hoist) RewriteContents(leaves);
      pieces.push_back(piece);
    }
    return pieces;
  }

  // Groups neighbours of one format; pieces without text join the group before them (a
  // leading one the group after it); a hoisted wrapper stands alone.
  static std::vector<Group> GroupPieces(const std::vector<Piece>& pieces,
                                        const Fmt& original_format) {
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
    if (groups.size() > 1 && !groups[1].hoist &&
        std::all_of(groups[0].pieces.begin(), groups[0].pieces.end(),
                    [&](size_t p) { return pieces[p].inherit; })) {
      groups[1].pieces.insert(groups[1].pieces.begin(), groups[0].pieces.begin(),
                              groups[0].pieces.end());
      groups.erase(groups.begin());
    }
    return groups;
  }

  // Puts `nodes` (children of the range `range`, or of a wrapper element inside it) into new
  // ranges made like `range`, one per stretch of one format, inserted into `parent` before
  // `before` (appended when `before` is empty). A wrapper (an XML element, a hyperlink …)
  // whose text now has several formats cannot sit inside one range: it moves out to `parent`
  // and the new ranges go inside it.
  void Emit(const std::vector<pugi::xml_node>& nodes, pugi::xml_node parent, pugi::xml_node before,
            const pugi::xml_node& range, const std::vector<pugi::xml_node>& properties, size_t run,
            const Fmt& original_format, bool in_wrapper) {
    const std::vector<Piece> pieces = PiecesOf(nodes, run, in_wrapper);
    const std::vector<Group> groups = GroupPieces(pieces, original_format);
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
      pugi::xml_node copy =
          NewRange(parent, before, range, properties, group.format, original_format);
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

  // A range made like `range` (its attributes and properties) with `format`, inserted into
  // `parent` before `before` (appended when `before` is empty).
  pugi::xml_node NewRange(pugi::xml_node parent, pugi::xml_node before, const pugi::xml_node& range,
                          const std::vector<pugi::xml_node>& properties, const Fmt& format,
                          const Fmt& original_format) const {
    pugi::xml_node copy = before ? parent.insert_child_before(range.name(), before)
                                 : parent.append_child(range.name());
    for (pugi::xml_attribute a : range.attributes()) copy.append_copy(a);
    if (!(format.style == original_format.style)) {
      const std::string self = format.style == kNone
                                   ? kNoCharacterStyle
                                   : resources_.style_self[static_cast<size_t>(format.style)];
      SetAttribute(copy, "AppliedCharacterStyle", self);
    }
    if (!(format.fill == original_format.fill)) {
      if (format.fill == kNone) {
        copy.remove_attribute("FillColor");
      } else {
        SetAttribute(copy, "FillColor", resources_.swatch_self[static_cast<size_t>(format.fill)]);
      }
    }
    for (const pugi::xml_node& p : properties) copy.append_copy(p);
    return copy;
  }

  static void SetAttribute(pugi::xml_node node, const char* name, const std::string& value) {
    pugi::xml_attribute a = node.attribute(name);
    if (!a) a = node.append_attribute(name);
    a.set_value(value.c_str());
  }

  const std::string& part_bytes_;
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

}  // namespace

Result<std::string> RewriteStory(const std::string& part_bytes, const Story& story,
                                 const layout::Story& edited, const LayoutIndexes& indexes,
                                 const Resources& resources, bool& changed) {
  StoryRewriter rewriter(part_bytes, story, edited, indexes, resources);
  return rewriter.Rewrite(changed);
}

}  // namespace mirune::idml
