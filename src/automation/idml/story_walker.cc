#include "automation/idml/story_walker.h"

#include <charconv>
#include <cstring>
#include <string_view>
#include <vector>

#include "automation/idml/xml_part.h"
#include "base/utf.h"

namespace mirune::idml {

namespace {

constexpr int kMaxDepth = 200;

bool Is(const pugi::xml_node& node, const char* name) {
  return std::strcmp(node.name(), name) == 0;
}

// Elements whose children are story text of the same story.
bool IsTransparent(const pugi::xml_node& node) {
  return Is(node, "XMLElement") || Is(node, "HyperlinkTextSource") ||
         Is(node, "CrossReferenceSource") || Is(node, "Change") || Is(node, "HiddenText");
}

// Elements that take one character of the story and hold no text of it.
char32_t ObjectChar(const pugi::xml_node& node) {
  if (Is(node, "Table")) return kTableChar;
  if (Is(node, "Footnote")) return kFootnoteChar;
  if (Is(node, "TextVariableInstance")) return kTextVariableChar;
  static const char* const kItems[] = {
      "TextFrame", "Rectangle", "Oval",    "Polygon",          "GraphicLine",
      "Group",     "Button",    "EPSText", "MultiStateObject", "TextBox",
      "CheckBox",  "ComboBox",  "ListBox", "RadioButton",      "SignatureField"};
  for (const char* name : kItems) {
    if (Is(node, name)) return kAnchorChar;
  }
  return 0;
}

char32_t AceChar(std::string_view value) {
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  uint32_t code = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), code, 16);
  if (error != std::errc() || end != value.data() + value.size() || code == 0 || code > 0xFFFF) {
    return 0xFFFD;
  }
  return static_cast<char32_t>(code);
}

class Walker {
 public:
  Walker(const std::string& part, StoryVisitor& visitor) : part_(part), visitor_(visitor) {}

  Status Walk(const pugi::xml_node& node, int depth) {
    if (depth > kMaxDepth) {
      return Error{ErrorCode::kFormatError, "部品 " + part_ + " の文字の入れ子が深すぎます（上限 " +
                                                std::to_string(kMaxDepth) + " 段）"};
    }
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
      if (child.type() != pugi::node_element) continue;
      if (Is(child, "ParagraphStyleRange")) {
        const Context saved = context_;
        context_ = Context{child, pugi::xml_node(), -1};
        MIRUNE_RETURN_IF_ERROR(Walk(child, depth + 1));
        context_ = saved;
        // Text after the paragraph range but outside any range starts a run of its own.
        if (!context_.range) context_.run = -1;
      } else if (Is(child, "CharacterStyleRange")) {
        const Context saved = context_;
        visitor_.OnRun(child, context_.paragraph);
        context_.range = child;
        context_.run = next_run_++;
        MIRUNE_RETURN_IF_ERROR(Walk(child, depth + 1));
        context_ = saved;
      } else if (Is(child, "Content")) {
        EnsureRun();
        for (pugi::xml_node piece = child.first_child(); piece; piece = piece.next_sibling()) {
          StoryLeaf leaf = Leaf(piece);
          leaf.content = child;
          if (piece.type() == pugi::node_pcdata || piece.type() == pugi::node_cdata) {
            leaf.kind = StoryLeaf::Kind::kText;
            visitor_.OnLeaf(leaf);
          } else if (piece.type() == pugi::node_pi && std::strcmp(piece.name(), "ACE") == 0) {
            // The number is the character's code in hexadecimal: <?ACE 18?> is U+0018, the
            // automatic page number; <?ACE 4?> U+0004, the footnote number.
            leaf.kind = StoryLeaf::Kind::kAce;
            leaf.object_char = AceChar(piece.value());
            visitor_.OnLeaf(leaf);
          }
        }
      } else if (Is(child, "Br")) {
        EnsureRun();
        StoryLeaf leaf = Leaf(child);
        leaf.kind = StoryLeaf::Kind::kBreak;
        std::string type = context_.range ? Attr(context_.range, "ParagraphBreakType") : "";
        if (type.empty() && context_.paragraph) {
          type = Attr(context_.paragraph, "ParagraphBreakType");
        }
        leaf.break_kind = BreakKindFromName(type);
        visitor_.OnLeaf(leaf);
      } else if (IsTransparent(child)) {
        MIRUNE_RETURN_IF_ERROR(Walk(child, depth + 1));
      } else if (const char32_t c = ObjectChar(child); c != 0) {
        EnsureRun();
        StoryLeaf leaf = Leaf(child);
        leaf.kind = StoryLeaf::Kind::kObject;
        leaf.object_char = c;
        visitor_.OnLeaf(leaf);
        if (c == kFootnoteChar) {
          // The footnote's text follows its reference, so that what is marked in it is found
          // on the reference's page. Its ranges are runs of their own.
          const Context saved = context_;
          context_ = Context{pugi::xml_node(), pugi::xml_node(), -1};
          MIRUNE_RETURN_IF_ERROR(Walk(child, depth + 1));
          context_ = saved;
        } else if (c == kTableChar) {
          // Likewise the text of each cell, in the order of the package, each cell ended by a
          // tab so that the marks of neighbouring cells stay apart.
          const Context saved = context_;
          for (pugi::xml_node cell = child.child("Cell"); cell; cell = cell.next_sibling("Cell")) {
            context_ = Context{pugi::xml_node(), pugi::xml_node(), -1};
            MIRUNE_RETURN_IF_ERROR(Walk(cell, depth + 2));
            EnsureRun();
            StoryLeaf end = Leaf(cell);
            end.kind = StoryLeaf::Kind::kObject;
            end.object_char = kCellEndChar;
            visitor_.OnLeaf(end);
          }
          context_ = saved;
        }
      }
      // Everything else (Properties, XMLAttribute, StoryPreference, notes …) holds no text
      // of this story.
    }
    return Status::Ok();
  }

 private:
  struct Context {
    pugi::xml_node paragraph;
    pugi::xml_node range;
    int run = -1;  // the run text at this point belongs to; -1 until one is opened
  };

  StoryLeaf Leaf(const pugi::xml_node& node) const {
    StoryLeaf leaf;
    leaf.node = node;
    leaf.run = static_cast<uint32_t>(context_.run);
    return leaf;
  }

  // Text outside any character range gets a run of its own (one per paragraph range).
  void EnsureRun() {
    if (context_.run >= 0) return;
    visitor_.OnRun(pugi::xml_node(), context_.paragraph);
    context_.run = next_run_++;
  }

  const std::string& part_;
  StoryVisitor& visitor_;
  Context context_;
  int next_run_ = 0;
};

// A number from an attribute or from <Properties><Name type="unit">…</Name></Properties>;
// 0 when absent or Auto.
double UnitValue(const pugi::xml_node& node, const char* name) {
  if (!node) return 0;
  const double from_attribute = AttrNumber(node, name, 0);
  if (from_attribute > 0) return from_attribute;
  const pugi::xml_node property = node.child("Properties").child(name);
  double value = 0;
  if (property && ParseNumber(property.text().get(), value) && value > 0) return value;
  return 0;
}

class StoryBuilder : public StoryVisitor {
 public:
  explicit StoryBuilder(Story& story) : story_(story) {}

  void OnRun(const pugi::xml_node& range, const pugi::xml_node& paragraph) override {
    const ParagraphFormat& outer = ParagraphOf(paragraph);
    TextRun run;
    run.has_run_element = static_cast<bool>(range);
    run.paragraph_style = outer.style;
    if (range) {
      run.character_style = RefAttr(range, "AppliedCharacterStyle");
      // Ruby attributes are rare: a range without "Ruby…" attributes costs one look each.
      ReadRubyAttributes(range, run.ruby);
    }
    run.fill_color = range ? RefAttr(range, "FillColor") : "";
    if (run.fill_color.empty()) run.fill_color = outer.fill_color;
    run.point_size = range ? AttrNumber(range, "PointSize", 0) : 0;
    if (run.point_size <= 0) run.point_size = outer.point_size;
    if (run.point_size < 0) run.point_size = 0;
    run.leading = UnitValue(range, "Leading");
    if (run.leading <= 0) run.leading = outer.leading;
    run.paragraph_start = outer.start;
    story_.runs.push_back(std::move(run));
  }

  void OnLeaf(const StoryLeaf& leaf) override {
    const uint32_t run = leaf.run;
    switch (leaf.kind) {
      case StoryLeaf::Kind::kText: {
        std::u32string text = Utf8ToUtf32(leaf.node.value());
        // IDML writes InDesign's forced line break as U+2028; the text model holds U+000A.
        for (char32_t& c : text) {
          if (c == 0x2028) c = U'\n';
        }
        if (!text.empty()) MarkRun(run);
        story_.text += text;
        break;
      }
      case StoryLeaf::Kind::kAce:
        Append(leaf.object_char, run);
        break;
      case StoryLeaf::Kind::kBreak:
        Append(kParagraphReturn, run);
        if (leaf.break_kind != BreakKind::kNone) {
          story_.breaks.push_back(
              StoryBreak{static_cast<uint32_t>(story_.text.size()), leaf.break_kind});
        }
        break;
      case StoryLeaf::Kind::kObject:
        if (leaf.object_char == kAnchorChar && leaf.node.attribute("Self")) {
          story_.anchored.push_back(
              AnchoredItem{static_cast<uint32_t>(story_.text.size()), Attr(leaf.node, "Self")});
        }
        Append(leaf.object_char, run);
        break;
    }
  }

 private:
  void Append(char32_t c, uint32_t run) {
    MarkRun(run);
    story_.text.push_back(c);
  }

  // The text appended next belongs to `run`.
  void MarkRun(uint32_t run) {
    if (!story_.run_spans.empty() && story_.run_spans.back().run == run) return;
    story_.run_spans.push_back({static_cast<uint32_t>(story_.text.size()), run});
  }
  // What a paragraph range gives the runs inside it.
  struct ParagraphFormat {
    std::string style;
    std::string fill_color;
    double point_size = 0;
    double leading = 0;
    BreakKind start = BreakKind::kNone;
  };

  // The paragraph's own formatting, read once per paragraph range: a paragraph can hold tens
  // of thousands of ranges, and finding its Properties child walks all of them.
  const ParagraphFormat& ParagraphOf(const pugi::xml_node& paragraph) {
    if (paragraph == paragraph_node_) return paragraph_;
    paragraph_node_ = paragraph;
    paragraph_ = ParagraphFormat{};
    if (!paragraph) return paragraph_;
    paragraph_.style = RefAttr(paragraph, "AppliedParagraphStyle");
    paragraph_.fill_color = RefAttr(paragraph, "FillColor");
    paragraph_.point_size = AttrNumber(paragraph, "PointSize", 0);
    paragraph_.leading = UnitValue(paragraph, "Leading");
    paragraph_.start = BreakKindFromName(Attr(paragraph, "StartParagraph"));
    return paragraph_;
  }

  Story& story_;
  pugi::xml_node paragraph_node_;
  ParagraphFormat paragraph_;
};

}  // namespace

Status WalkStory(const pugi::xml_node& story, const std::string& part, StoryVisitor& visitor) {
  Walker walker(part, visitor);
  return walker.Walk(story, 0);
}

Status ParseStory(const pugi::xml_node& story, const std::string& part, Story& out) {
  out.self = Attr(story, "Self");
  out.part = part;
  out.vertical = Attr(story.child("StoryPreference"), "StoryOrientation") == "Vertical";
  StoryBuilder builder(out);
  return WalkStory(story, part, builder);
}

BreakKind BreakKindFromName(const std::string& value) {
  if (value == "NextColumn") return BreakKind::kColumn;
  if (value == "NextFrame") return BreakKind::kFrame;
  if (value == "NextPage") return BreakKind::kPage;
  if (value == "NextOddPage") return BreakKind::kOddPage;
  if (value == "NextEvenPage") return BreakKind::kEvenPage;
  return BreakKind::kNone;
}

const char* BreakKindName(BreakKind kind) {
  switch (kind) {
    case BreakKind::kColumn:
      return "NextColumn";
    case BreakKind::kFrame:
      return "NextFrame";
    case BreakKind::kPage:
      return "NextPage";
    case BreakKind::kOddPage:
      return "NextOddPage";
    case BreakKind::kEvenPage:
      return "NextEvenPage";
    case BreakKind::kNone:
      break;
  }
  return "Anywhere";
}

}  // namespace mirune::idml
