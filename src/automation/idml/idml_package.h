#pragma once

// What an IDML package holds, as far as the engine needs it: pages in spread order, text
// frames with their threads and geometry, stories as characters with their formatting, the
// character styles and swatches. Built by ReadIdmlPackage (idml_reader.h); the original bytes
// of every part are kept so that saving can copy untouched parts byte for byte.
//
// Units are points. Geometry is in the coordinates of the spread that holds the item.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace mirune::idml {

// An affine transform [a b c d tx ty]: x' = a·x + c·y + tx, y' = b·x + d·y + ty.
struct Matrix {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
  void Apply(double x, double y, double& out_x, double& out_y) const {
    out_x = a * x + c * y + tx;
    out_y = b * x + d * y + ty;
  }
  // This transform applied after `inner`.
  Matrix After(const Matrix& inner) const {
    Matrix m;
    m.a = a * inner.a + c * inner.b;
    m.b = b * inner.a + d * inner.b;
    m.c = a * inner.c + c * inner.d;
    m.d = b * inner.c + d * inner.d;
    m.tx = a * inner.tx + c * inner.ty + tx;
    m.ty = b * inner.tx + d * inner.ty + ty;
    return m;
  }
};

struct Rect {
  double left = 0, top = 0, right = 0, bottom = 0;
  double Width() const { return right - left; }
  double Height() const { return bottom - top; }
  bool Contains(double x, double y) const {
    return x >= left && x <= right && y >= top && y <= bottom;
  }
};

// A colour or other swatch of Resources/Graphic.xml.
struct Swatch {
  std::string self;                // "Color/u104", "Swatch/None", "Tint/…"
  std::string name;                // "" for an unnamed colour (Name="" or "$ID/")
  std::string space;               // Space of a Color: "CMYK", "RGB", "LAB"; "" otherwise
  std::vector<double> components;  // its ColorValue
};

// Ruby (ルビ) as a range or a character style sets it; what is not set comes from the
// style the range applies (and the styles it is based on).
struct RubyAttributes {
  int8_t flag = -1;  // RubyFlag: -1 not set, 0 "false", 1 "true"
  bool string_set = false;
  std::string string;         // RubyString
  int8_t per_character = -1;  // RubyType: -1 not set, 0 "GroupRuby", 1 "PerCharacterRuby"
};

struct CharacterStyle {
  std::string self;        // "CharacterStyle/RazozaMark1"
  std::string name;        // "RazozaMark1" (groups are not part of the name)
  std::string fill_color;  // Self of its fill colour; "" when it sets none
  std::string based_on;    // Self of the style it is based on; "" when none
  double point_size = 0;   // 0 when it sets none
  RubyAttributes ruby;
};

// How a paragraph or a break character moves the text after it.
enum class BreakKind { kNone, kColumn, kFrame, kPage, kOddPage, kEvenPage };

struct ParagraphStyle {
  std::string self;
  std::string name;
  std::string based_on;
  double point_size = 0;    // 0 when it sets none
  double leading = 0;       // 0 when it sets none or sets Auto
  double auto_leading = 0;  // percent; 0 when it sets none
  BreakKind start_paragraph = BreakKind::kNone;
  bool start_paragraph_set = false;
};

// The formatting of one CharacterStyleRange (runs are numbered in the order the ranges appear
// in the story part; saving relies on that order).
struct TextRun {
  std::string character_style;  // Self of AppliedCharacterStyle; "" when not given
  std::string fill_color;       // Self of the local FillColor; "" when not set locally
  std::string paragraph_style;  // Self of the enclosing AppliedParagraphStyle
  double point_size = 0;        // local PointSize; 0 when not set
  double leading = 0;           // local Leading; 0 when not set or Auto
  BreakKind paragraph_start = BreakKind::kNone;  // local StartParagraph of the paragraph
  bool has_run_element = true;                   // false for text outside any CharacterStyleRange
  RubyAttributes ruby;                           // the range's own ruby attributes
};

// Characters that stand for things other than text, as InDesign's text model holds them.
inline constexpr char32_t kParagraphReturn = U'\r';
inline constexpr char32_t kAnchorChar = 0xFFFC;        // an anchored or inline page item
inline constexpr char32_t kTableChar = 0x16;           // a table
inline constexpr char32_t kCellEndChar = U'\t';        // the end of a table cell's text
inline constexpr char32_t kFootnoteChar = 0x04;        // a footnote reference
inline constexpr char32_t kTextVariableChar = 0xFFFC;  // a text variable instance

struct StoryBreak {
  uint32_t position = 0;  // the text from this character on moves
  BreakKind kind = BreakKind::kNone;
};

struct AnchoredItem {
  uint32_t position = 0;  // the anchor character
  std::string item;       // Self of the anchored page item (a frame, a group …)
};

// From character `start` on (until the next span), the characters belong to run `run`.
struct RunSpan {
  uint32_t start = 0;
  uint32_t run = 0;
};

struct Story {
  std::string self;     // "u1b"
  std::string part;     // "Stories/Story_u1b.xml"
  std::u32string text;  // empty in a package IdmlFiles keeps (its document holds the text)
  // The run of every character, as spans in text order (the first starts at 0; a run can
  // have several spans when a nested run, a footnote's, interrupts it). Spans rather than a
  // run index per character keep a story's model at the size of its text.
  std::vector<RunSpan> run_spans;
  std::vector<TextRun> runs;
  std::vector<StoryBreak> breaks;  // in text order
  std::vector<AnchoredItem> anchored;
  bool vertical = false;  // StoryOrientation="Vertical"

  // The run of character `index` (< text.size()).
  uint32_t RunAt(uint32_t index) const;
};

// The runs of a story's characters read in text order, in constant time per character.
class RunCursor {
 public:
  explicit RunCursor(const Story& story) : spans_(story.run_spans) {}
  // The run of character `index`; `index` must not decrease from one call to the next.
  uint32_t RunAt(uint32_t index) {
    while (next_ < spans_.size() && spans_[next_].start <= index) ++next_;
    return next_ == 0 ? 0 : spans_[next_ - 1].run;
  }

 private:
  const std::vector<RunSpan>& spans_;
  size_t next_ = 0;
};

struct Page {
  std::string self;
  std::string name;  // the displayed number, as the Name attribute gives it
  int spread = -1;   // index into spreads
  Rect bounds;       // in spread coordinates
};

struct Frame {
  std::string self;
  std::string story;        // Self of the parent story
  std::string previous;     // Self of the previous frame of the thread; "" when none
  std::string next;         // Self of the next frame; "" when none
  int spread = -1;          // index into spreads; -1 for an anchored frame or a master item
  bool master = false;      // an item of a master spread
  std::string anchored_in;  // story of the anchor for an anchored frame; "" otherwise
  uint32_t anchor_position = 0;
  Rect inner;                         // the frame's own path box, before its transforms
  Matrix to_spread;                   // its transforms up to the spread
  double center_x = 0, center_y = 0;  // the centre of the frame in spread coordinates
  int columns = 1;
  double column_gutter = 12;
  double inset[4] = {0, 0, 0, 0};  // top, left, bottom, right
  int page = -1;                   // index into pages; -1 on the pasteboard or on a master spread
};

struct Spread {
  std::string self;
  std::string part;
  std::vector<int> pages;  // indexes into pages
};

struct Package {
  std::vector<std::string> part_names;  // every entry, in the package's order
  // name → inflated bytes of every entry but the story parts: those are the bulk of a
  // package, read one at a time and let go once in the model; saving inflates them again
  // from `archive` (PartBytes).
  std::map<std::string, std::string> parts;
  std::map<std::string, bool> stored;  // name → stored uncompressed
  std::string archive;                 // the package's own (compressed) bytes

  std::string document_name;  // Name of the Document element, if any
  double page_width = 612, page_height = 792;
  bool facing_pages = true;

  std::vector<Spread> spreads;
  std::vector<Page> pages;  // document pages in order
  std::vector<Frame> frames;
  std::vector<Story> stories;  // in StoryList order

  std::map<std::string, Swatch> swatches;          // by Self
  std::vector<std::string> swatch_order;           // Selfs in the order of Graphic.xml
  std::vector<std::string> character_style_order;  // Selfs in the order of Styles.xml
  std::vector<std::string> paragraph_style_order;
  std::map<std::string, CharacterStyle> character_styles;  // by Self
  std::map<std::string, ParagraphStyle> paragraph_styles;  // by Self

  // Lookup helpers; nullptr when absent.
  const Story* FindStory(const std::string& self) const;
  const Frame* FindFrame(const std::string& self) const;
  int FrameIndex(const std::string& self) const;

  // The effective fill colour (a Self) of character `index` of `story`: its local colour,
  // else its character style's (following BasedOn), else "".
  std::string EffectiveFillColor(const Story& story, uint32_t index) const;
  // The swatch name of a fill colour Self; "" for an unnamed colour or an unknown Self.
  std::string SwatchName(const std::string& self) const;
  // The name of a character style Self ("" for [No character style] and unknown Selfs).
  std::string CharacterStyleName(const std::string& self) const;
};

}  // namespace mirune::idml
