#pragma once

// The embedded engine's layout model: documents (pages, text frames, stories with styled
// text, character and paragraph styles, swatches) and books. Plain values: documents built
// in code (builder.h) and documents loaded from files (the IDML loader) fill the same
// structures; the engine objects (engine_application.h) read and edit them.
//
// Units and conventions:
// - Text is held as code points (std::u32string); every position and length below counts
//   code points, which is what a "character" of the InDesign interface is.
// - InDesign's characters as its scripting sees them: paragraph return U+000D, forced line
//   break U+000A, tab U+0009, InDesign's special characters (auto page number, footnote
//   reference, …) as their control code points below U+0020 (U+0018 for the page number).
// - Indexes into the document's vectors are 0-based int32_t; kNone means "none".
// - Geometry is in points, in the coordinates of the spread (IDML's pasteboard coordinates);
//   only the loader that computes composition needs it.

#include <cstdint>
#include <string>
#include <vector>

namespace mirune::layout {

inline constexpr int32_t kNone = -1;

inline constexpr char32_t kParagraphReturn = U'\r';
inline constexpr char32_t kForcedLineBreak = U'\n';
inline constexpr char32_t kTab = U'\t';
inline constexpr char32_t kAutoPageNumber = 0x18;

enum class ColorSpace { kCmyk, kRgb, kLab, kGray };

// A colour value; components in the host's own scale (CMYK and grey 0–100, RGB 0–255).
struct ColorValue {
  ColorSpace space = ColorSpace::kCmyk;
  std::vector<double> components;
  bool operator==(const ColorValue&) const = default;
};

// A swatch (named colour). An unnamed colour (IDML `Color` with Name="") has an empty name:
// it can be a fill colour but never matches a swatch name in tagged text or find/change.
struct Swatch {
  std::string name;
  ColorValue value;
  std::string source_id;  // id in the file it came from (IDML `Self`); empty when built
};

struct CharacterStyle {
  std::string name;            // e.g. "RazozaMark1"; "[None]" is not listed: it is kNone
  int32_t fill_color = kNone;  // index into Document::swatches; kNone = no colour given
  int32_t based_on = kNone;    // index into Document::character_styles
  std::string source_id;
};

struct ParagraphStyle {
  std::string name;
  std::string source_id;
};

// Ruby (ルビ) over characters: its string as InDesign holds it and its kind (group ruby over
// the whole base, or per-character ruby whose string gives each character's reading,
// separated by spaces).
struct Ruby {
  std::string text;
  bool per_character = false;
  bool operator==(const Ruby&) const = default;
};

// What a paragraph return (U+000D) does besides ending the paragraph: InDesign's column,
// frame and page breaks are paragraph returns with a break attribute.
enum class BreakType : uint8_t { kNone, kColumn, kFrame, kPage, kOddPage, kEvenPage };

// Formatting of a character.
struct TextFormat {
  int32_t character_style = kNone;  // applied character style; kNone = [None]
  int32_t fill_color = kNone;       // local fill colour (swatch index); kNone = not set locally
  int32_t paragraph_style = kNone;  // the paragraph's style (same for a whole paragraph)
  BreakType break_type = BreakType::kNone;  // meaningful on a paragraph return only
  float point_size = 0;                     // 0 = not known (composition then assumes a default)
  float leading = 0;                        // 0 = not known / auto
  // The ruby the character carries, in effect (set locally or by its character style): an
  // index into Document::rubies; kNone = no ruby. Neighbours with the same index share one
  // ruby (a group ruby's base).
  int32_t ruby = kNone;
  bool operator==(const TextFormat&) const = default;
};

// A run of characters with one format: from `start` to the next run's start (or the end of
// the text). Runs are sorted by start, the first starts at 0, no run is empty, and two
// neighbours may hold equal formats. An empty story has no run.
struct FormatRun {
  int32_t start = 0;
  TextFormat format;
};

struct Story {
  std::u32string text;
  std::vector<FormatRun> runs;
  // The story's frames in thread order (indexes into Document::frames); may be empty for a
  // story that lies in no frame.
  std::vector<int32_t> frames;
  // True when the loader estimated how the text splits across threaded frames.
  bool composition_estimated = false;
  // Set by every edit of the engine; a saver rewrites only changed stories.
  bool changed = false;
  std::string source_id;
};

// A rectangle in points: top, left, bottom, right (IDML's GeometricBounds order).
struct Rect {
  double top = 0;
  double left = 0;
  double bottom = 0;
  double right = 0;
};

struct TextFrame {
  int32_t story = kNone;  // index into Document::stories
  // Composition: the frame holds story characters [text_start, text_end). The frames of a
  // thread hold consecutive ranges in thread order; an empty frame has start == end. Text
  // after the last frame's end is overset: it belongs to its story but to no frame.
  int32_t text_start = 0;
  int32_t text_end = 0;
  int32_t page = kNone;  // index into Document::pages; kNone on the pasteboard or a master
  Rect bounds;           // geometric bounds after the frame's transform
  std::string source_id;
};

struct Page {
  std::string name;             // the displayed page number, e.g. "7", "iv", "A-3"
  std::vector<int32_t> frames;  // text frames lying on the page, in InDesign's collection order
  Rect bounds;
  std::string source_id;
};

struct Document {
  std::string full_name;  // path of the document's file
  std::string name;       // display name (the file name)
  std::vector<Page> pages;
  std::vector<TextFrame> frames;  // every text frame (on pages or not)
  std::vector<Story> stories;     // in the order of the host's Stories collection
  std::vector<CharacterStyle> character_styles;
  std::vector<ParagraphStyle> paragraph_styles;
  std::vector<Swatch> swatches;
  std::vector<Ruby> rubies;  // each different ruby once
  bool modified = false;     // unsaved changes (set by edits and by loaders that convert)
};

struct Book {
  std::string full_name;             // path of the book (a file, or for IDML a folder)
  std::string name;                  // display name
  std::vector<std::string> members;  // full paths of the member documents, in book order
  bool modified = false;
};

// --- Queries and checks (layout_model.cc) ---

// Index of the run holding character `index` of `story`. Precondition: 0 ≤ index < size.
int32_t RunIndexAt(const Story& story, int32_t index);
// Format of character `index`. Precondition: 0 ≤ index < size.
const TextFormat& FormatAt(const Story& story, int32_t index);
// Effective fill colour: the local one, else the applied character style's (following
// based_on); kNone when neither gives one.
int32_t EffectiveFillColor(const Document& document, const TextFormat& format);

// The index of `ruby` in document.rubies, added when new.
int32_t InternRuby(Document& document, const Ruby& ruby);

// Lookups by name; kNone when absent. Unnamed swatches never match.
int32_t FindSwatch(const Document& document, const std::string& name);
int32_t FindCharacterStyle(const Document& document, const std::string& name);
int32_t FindParagraphStyle(const Document& document, const std::string& name);

// Checks the invariants above (runs, index ranges, frame ranges in thread order, every page
// frame pointing back to its page). Empty when the document is sound, else what is wrong.
std::string CheckDocument(const Document& document);

}  // namespace mirune::layout
