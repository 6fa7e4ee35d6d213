#pragma once

// The InDesign operations that the jobs call (extraction, keyword marking), written from
// what those jobs need of InDesign. Implementations: the embedded engine
// (automation/indesign_engine/engine_application.h) and the COM client of a running InDesign.
//
// Conventions of every object below:
// - Each method is one call into the host; with the real InDesign that is one cross-process
//   automation call, so the jobs prefer the batched reads (PageNames, Pages, TextFrames,
//   ReadTail, WriteCharacter) in their inner loops.
// - Collections are 1-based. Counts and indexes are 32-bit: the host's own counts are not
//   limited to 16 bits; a job that must keep 16-bit counters checks them itself.
// - Every failing call returns an error (kHostError from the host, kNotFound for an index out
//   of range or an object that has gone, kInvalidArgument for a bad value); nothing throws.
// - Objects handed out are handles owned by the caller. A handle of a closed document or book
//   stays safe to call: it fails with kNotFound.
// - Text crosses the interface as UTF-8. A "character" is one character of the host's text
//   model: one Unicode code point (a character outside the Basic Multilingual Plane is one
//   character, never half of one).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace mirune::indesign {

// Host enumeration values: four-character codes held in 32-bit integers.
constexpr int32_t FourCharCode(const char (&code)[5]) {
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
                              (static_cast<uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
                              (static_cast<uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
                              static_cast<uint32_t>(static_cast<unsigned char>(code[3])));
}

// Save option of Close: close without saving and without asking ("no  ").
inline constexpr int32_t kSaveNo = 1852776480;
// Export format of Story::Export: InDesign tagged text ("Tgtx").
inline constexpr int32_t kTaggedTextFormat = 1416066168;

// Tagged-text export character sets (TaggedTextExportPreferences.CharacterSet).
inline constexpr int32_t kCharacterSetUnicode = 1249209961;  // "Juni"
inline constexpr int32_t kCharacterSetAscii = 1095975753;
inline constexpr int32_t kCharacterSetAnsi = 1095652169;
inline constexpr int32_t kCharacterSetShiftJis = 1249077875;

// Tagged-text tag forms (TaggedTextExportPreferences.TagForm).
inline constexpr int32_t kTagFormAbbreviated = 1414816098;  // "TTab"
inline constexpr int32_t kTagFormVerbose = 1414821474;

static_assert(FourCharCode("no  ") == kSaveNo);
static_assert(FourCharCode("Tgtx") == kTaggedTextFormat);
static_assert(FourCharCode("Juni") == kCharacterSetUnicode);
static_assert(FourCharCode("TTab") == kTagFormAbbreviated);

// Which character property a write goes through: InDesign 2 takes `TextContents`, every
// later version `Contents`. The job picks by the host's Version.
enum class TextProperty { kContents, kTextContents };

class Character {
 public:
  virtual ~Character() = default;
  // `Contents` read as text (a paragraph return reads as "\r").
  virtual Result<std::string> Contents() = 0;
  // `Contents` written: replaces this character by `text`; the new characters take this
  // character's formatting.
  virtual Status SetContents(std::string_view text) = 0;
  // `TextContents` written: as SetContents, for InDesign 2.
  virtual Status SetTextContents(std::string_view text) = 0;
};

// The last characters of a frame or story, read in one call.
struct TextTail {
  int32_t count = 0;                  // `Characters.Count` of the whole frame or story
  std::vector<std::string> contents;  // `Contents` of characters count-n+1 … count, in order
};

// What a text frame and a story share: their `Characters`.
class TextContainer {
 public:
  virtual ~TextContainer() = default;
  // `Characters.Count`.
  virtual Result<int32_t> CharacterCount() = 0;
  // `Characters.Item(index)`, 1 ≤ index ≤ count.
  virtual Result<std::unique_ptr<Character>> CharacterItem(int32_t index) = 0;
  // Count and the `Contents` of the last min(max_characters, count) characters, in one call.
  // max_characters ≥ 1.
  virtual Result<TextTail> ReadTail(int32_t max_characters) = 0;
  // `Characters.Item(index)` written through `property`, in one call.
  virtual Status WriteCharacter(int32_t index, std::string_view text, TextProperty property) = 0;
};

class TextFrame : public TextContainer {};

class Story : public TextContainer {
 public:
  // `Export(format, path)`: writes the story as tagged text with the application's current
  // tagged-text export preferences, replacing an existing file. format must be
  // kTaggedTextFormat.
  virtual Status Export(int32_t format, const std::string& path) = 0;
  // The older `Search(find_what, …, change_to)` of InDesign 2 to 4: applies the application's
  // change formatting to every occurrence of find_what in this story (keeping the matched text
  // when change_to is empty). Returns the number of occurrences changed; an empty find_what
  // changes nothing. Later versions have no Search (kHostError).
  virtual Result<int32_t> Search(std::string_view find_what, std::string_view change_to) = 0;
};

class Page {
 public:
  virtual ~Page() = default;
  // `Name`: the page's displayed number as text.
  virtual Result<std::string> Name() = 0;
  // `TextFrames.Count` / `TextFrames.Item(index)`: the frames lying on this page.
  virtual Result<int32_t> TextFrameCount() = 0;
  virtual Result<std::unique_ptr<TextFrame>> TextFrameItem(int32_t index) = 0;
  // Every frame of `TextFrames`, in collection order (element i is item i+1), in one call.
  virtual Result<std::vector<std::unique_ptr<TextFrame>>> TextFrames() = 0;
};

class Document {
 public:
  virtual ~Document() = default;
  virtual Result<std::string> FullName() = 0;  // path of the document's file
  virtual Result<std::string> Name() = 0;      // its display name (the file name)
  virtual Result<bool> Modified() = 0;         // true while it has unsaved changes

  virtual Result<int32_t> PageCount() = 0;
  virtual Result<std::unique_ptr<Page>> PageItem(int32_t index) = 0;
  // Every page / every page's `Name`, in page order, in one call each.
  virtual Result<std::vector<std::unique_ptr<Page>>> Pages() = 0;
  virtual Result<std::vector<std::string>> PageNames() = 0;

  virtual Result<int32_t> StoryCount() = 0;
  virtual Result<std::unique_ptr<Story>> StoryItem(int32_t index) = 0;

  // `Close(save_option)`. With kSaveNo every change is discarded and the file is not written.
  // Other options are the host's affair (the engine refuses them with kUnsupported).
  virtual Status Close(int32_t save_option) = 0;
};

class Book {
 public:
  virtual ~Book() = default;
  virtual Result<std::string> FullName() = 0;
  virtual Result<std::string> Name() = 0;
  virtual Result<bool> Modified() = 0;
  // `BookContents.Count` and `BookContents.Item(index).FullName`: members in book order.
  virtual Result<int32_t> ContentCount() = 0;
  virtual Result<std::string> ContentFullName(int32_t index) = 0;
  virtual Status Close(int32_t save_option) = 0;
};

// What `Open` returned: exactly one of the two is set.
struct OpenedItem {
  std::unique_ptr<Document> document;
  std::unique_ptr<Book> book;
};

// Change formatting applied by ChangeText and Search (`ChangeTextPreferences`): the user sets
// it in InDesign's Find/Change window; the command line and the tests set it here. Empty
// means "leave as is".
struct ChangeFormatting {
  std::string applied_character_style;  // name of a character style to apply
  std::string fill_color;               // name of a swatch to apply as fill colour
};

// Find options (`FindChangeTextOptions`). InDesign's defaults: both off.
struct FindOptions {
  bool case_sensitive = false;
  bool whole_word = false;
};

class Application {
 public:
  virtual ~Application() = default;

  // `Books` / `Documents`: the open books and documents.
  virtual Result<int32_t> BookCount() = 0;
  virtual Result<std::unique_ptr<Book>> BookItem(int32_t index) = 0;
  virtual Result<int32_t> DocumentCount() = 0;
  virtual Result<std::unique_ptr<Document>> DocumentItem(int32_t index) = 0;

  // `Open(path)`: opens a document or a book (an already open one is returned again).
  virtual Result<OpenedItem> Open(const std::string& path) = 0;
  // `ActiveDocument`: the document in front; kNotFound when none is open.
  virtual Result<std::unique_ptr<Document>> ActiveDocument() = 0;
  // `Version` as text, e.g. "2.0", "7.5", "12.0".
  virtual Result<std::string> Version() = 0;

  // `TaggedTextExportPreferences.CharacterSet` / `.TagForm`, four-character codes.
  virtual Result<int32_t> TaggedTextCharacterSet() = 0;
  virtual Status SetTaggedTextCharacterSet(int32_t character_set) = 0;
  virtual Result<int32_t> TaggedTextTagForm() = 0;
  virtual Status SetTaggedTextTagForm(int32_t tag_form) = 0;

  // `FindTextPreferences.FindWhat` / `ChangeTextPreferences.ChangeTo`.
  virtual Result<std::string> FindWhat() = 0;
  virtual Status SetFindWhat(std::string_view text) = 0;
  virtual Result<std::string> ChangeTo() = 0;
  virtual Status SetChangeTo(std::string_view text) = 0;
  // The change formatting and find options that the user normally sets in InDesign.
  virtual Result<ChangeFormatting> GetChangeFormatting() = 0;
  virtual Status SetChangeFormatting(const ChangeFormatting& formatting) = 0;
  virtual Result<FindOptions> GetFindOptions() = 0;
  virtual Status SetFindOptions(const FindOptions& options) = 0;

  // `ChangeText`: every occurrence of FindWhat in every open document gets ChangeTo (the
  // matched text is kept when ChangeTo is empty) and the change formatting. Returns the
  // number of occurrences changed. An empty FindWhat is refused with kInvalidArgument;
  // InDesign 2 to 4 have no ChangeText (kHostError).
  virtual Result<int32_t> ChangeText() = 0;
};

// The generation of a `Version` text: the whole number of ASCII digits at its start ("20.0" →
// 20, "2.0.2" → 2); 0 when it starts with none ("v4.0", "２"). Numbers past 1000 stop there.
inline int MajorVersion(std::string_view version) {
  int major = 0;
  for (char c : version) {
    if (c < '0' || c > '9' || major > 1000) break;
    major = major * 10 + (c - '0');
  }
  return major;
}

}  // namespace mirune::indesign
