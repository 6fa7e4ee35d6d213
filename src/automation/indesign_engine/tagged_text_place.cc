#include "automation/indesign_engine/tagged_text_place.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

#include "automation/indesign_engine/builder.h"
#include "base/utf.h"

namespace mirune::layout {
namespace {

// The text of the bytes as UTF-8: UTF-16 by its byte-order mark, else UTF-8.
std::string TextOf(std::string_view bytes) {
  auto utf16 = [&](bool little) {
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const auto a = static_cast<unsigned char>(bytes[i]);
      const auto b = static_cast<unsigned char>(bytes[i + 1]);
      text.push_back(static_cast<char16_t>(little ? (a | b << 8) : (a << 8 | b)));
    }
    return Utf16ToUtf8(text);
  };
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return utf16(true);
  if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') return utf16(false);
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return std::string(bytes);
}

// The tag's name and value ("pstyle", "索引項目"); the value keeps its escapes undone.
struct Tag {
  std::string name;
  std::string value;
};

std::string Unescape(std::string_view value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) ++i;
    out.push_back(value[i]);
  }
  return out;
}

// The tag that starts at text[at] == '<', nested <…> included; `end` is set past it.
Tag ReadTag(std::string_view text, size_t at, size_t& end) {
  int depth = 0;
  size_t i = at;
  for (; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;
      continue;
    }
    if (text[i] == '<') ++depth;
    if (text[i] == '>' && --depth == 0) break;
  }
  end = i < text.size() ? i + 1 : text.size();
  const std::string_view inner = text.substr(at + 1, (i < text.size() ? i : text.size()) - at - 1);
  const size_t colon = inner.find(':');
  if (colon == std::string_view::npos) return {std::string(inner), {}};
  return {std::string(inner.substr(0, colon)), std::string(inner.substr(colon + 1))};
}

// The style name of a definition value "Name=<Nextstyle:…>…".
std::string DefinedName(const std::string& value) {
  size_t i = 0;
  std::string name;
  for (; i < value.size() && value[i] != '='; ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) ++i;
    name.push_back(value[i]);
  }
  return name;
}

// Reads the body of tagged text into one new story of a builder, in runs of one format,
// defining the styles it names, and counts each paragraph's characters for the frames.
class StoryReader {
 public:
  explicit StoryReader(DocumentBuilder& b) : b_(b), story_(b.AddStory()) {}

  // Reads `text` from `i`, the start of the line after the header.
  void Read(const std::string& text, size_t i) {
    while (i < text.size()) {
      const char c = text[i];
      if (c == '<') {
        size_t end = 0;
        ApplyTag(ReadTag(text, i, end));
        i = end;
      } else if (c == '\r' || c == '\n') {
        EndLine();
        i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      } else {
        i = AppendCharacter(text, i);
      }
    }
    Flush();
    if (paragraph_open_) paragraph_lengths_.push_back(paragraph_length_);
  }

  int32_t story() const { return story_; }
  // The paragraphs' lengths in characters, their returns included.
  const std::vector<int32_t>& paragraph_lengths() const { return paragraph_lengths_; }

 private:
  int32_t ParagraphStyle(const std::string& name) {
    auto it = paragraph_styles_.find(name);
    if (it == paragraph_styles_.end()) {
      it = paragraph_styles_.emplace(name, b_.AddParagraphStyle(name)).first;
    }
    return it->second;
  }

  int32_t CharacterStyle(const std::string& name) {
    auto it = character_styles_.find(name);
    if (it == character_styles_.end()) {
      it = character_styles_.emplace(name, b_.AddCharacterStyle(name)).first;
    }
    return it->second;
  }

  // Style definitions and uses, and characters given by their code ("<0x2603>"); other tags
  // are passed over.
  void ApplyTag(const Tag& tag) {
    if (tag.name == "dps" || tag.name == "DefineParaStyle") {
      ParagraphStyle(DefinedName(tag.value));
    } else if (tag.name == "dcs" || tag.name == "DefineCharStyle") {
      CharacterStyle(DefinedName(tag.value));
    } else if (tag.name == "pstyle" || tag.name == "ParaStyle") {
      Flush();
      format_.paragraph_style = tag.value.empty() ? kNone : ParagraphStyle(Unescape(tag.value));
      paragraph_open_ = true;
    } else if (tag.name == "cstyle" || tag.name == "CharStyle") {
      Flush();
      format_.character_style = tag.value.empty() ? kNone : CharacterStyle(Unescape(tag.value));
    } else if (tag.name.size() > 2 && tag.name.rfind("0x", 0) == 0) {
      const char32_t code = static_cast<char32_t>(std::strtoul(tag.name.c_str() + 2, nullptr, 16));
      AppendUtf8(run_, code);
      ++paragraph_length_;
      paragraph_open_ = true;
    }
  }

  // A line end closes the open paragraph; header and definition lines hold none.
  void EndLine() {
    if (!paragraph_open_) return;
    run_.push_back('\r');
    Flush();
    paragraph_lengths_.push_back(paragraph_length_ + 1);
    paragraph_length_ = 0;
    paragraph_open_ = false;
  }

  // Appends the character at text[i] (after a backslash, the one it escapes); returns where
  // the next one starts.
  size_t AppendCharacter(const std::string& text, size_t i) {
    if (text[i] == '\\' && i + 1 < text.size()) ++i;
    size_t next = i;
    DecodeUtf8(text, next);
    run_.append(text, i, next - i);
    ++paragraph_length_;
    paragraph_open_ = true;
    return next;
  }

  void Flush() {
    if (run_.empty()) return;
    b_.Append(story_, run_, format_);
    run_.clear();
  }

  DocumentBuilder& b_;
  const int32_t story_;
  std::map<std::string, int32_t> paragraph_styles_;
  std::map<std::string, int32_t> character_styles_;
  TextFormat format_;
  std::string run_;
  int32_t paragraph_length_ = 0;
  bool paragraph_open_ = false;
  std::vector<int32_t> paragraph_lengths_;
};

// One frame a page, each holding the next `per_page` paragraphs; the last takes the rest.
void AddFramesByParagraphs(DocumentBuilder& b, int32_t story,
                           const std::vector<int32_t>& paragraph_lengths, int32_t per_page_option) {
  const size_t per_page = static_cast<size_t>(std::max(1, per_page_option));
  const size_t pages = std::max<size_t>(1, (paragraph_lengths.size() + per_page - 1) / per_page);
  for (size_t p = 0; p < pages; ++p) {
    const int32_t page = b.AddPage(std::to_string(p + 1));
    int32_t characters = kRestOfStory;
    if (p + 1 < pages) {
      characters = 0;
      for (size_t k = p * per_page; k < (p + 1) * per_page; ++k) characters += paragraph_lengths[k];
    }
    b.AddFrame(page, story, characters);
  }
}

}  // namespace

Result<Document> PlaceTaggedText(std::string_view bytes, const std::string& full_name,
                                 const PlaceOptions& options) {
  const std::string text = TextOf(bytes);
  if (text.rfind("<UNICODE-", 0) != 0 && text.rfind("<ASCII-", 0) != 0) {
    return Error{ErrorCode::kFormatError,
                 "InDesign のタグ付きテキストではありません（先頭に <UNICODE-WIN> などの見出しが"
                 "ありません）。"};
  }
  DocumentBuilder b(full_name);
  StoryReader reader(b);
  // The header line, then the body.
  const size_t header_end = text.find('\n');
  reader.Read(text, header_end == std::string::npos ? text.size() : header_end + 1);
  AddFramesByParagraphs(b, reader.story(), reader.paragraph_lengths(), options.paragraphs_per_page);

  MIRUNE_ASSIGN_OR_RETURN(Document document, b.Build());
  const Rect& page = options.page_bounds;
  for (Page& p : document.pages) p.bounds = page;
  for (TextFrame& f : document.frames) {
    f.bounds = {page.top + options.margin, page.left + options.margin, page.bottom - options.margin,
                page.right - options.margin};
  }
  return document;
}

}  // namespace mirune::layout
