#include "automation/indesign_engine/tagged_text_export.h"

#include <cstdio>
#include <string_view>

#include "automation/indesign.h"
#include "base/utf.h"

namespace mirune::layout {
namespace {

struct TagNames {
  std::string_view version, feature_set, color_table, define_char_style, define_para_style,
      para_style, char_style, color, next_chars, ruby, ruby_string, ruby_kind;
};

constexpr TagNames kAbbreviated = {"vsn",    "fset", "ctable", "dcs", "dps",   "pstyle",
                                   "cstyle", "cc",   "cnxc",   "cr",  "crstr", "cmr"};
constexpr TagNames kVerbose = {"Version",         "FeatureSet", "ColorTable",  "DefineCharStyle",
                               "DefineParaStyle", "ParaStyle",  "CharStyle",   "cColor",
                               "cNextXChars",     "cRuby",      "cRubyString", "cMojiRuby"};

// Text characters that must not stand bare in tagged text.
void AppendTextChar(std::string& out, char32_t c) {
  if (c == U'\\' || c == U'<' || c == U'>') {
    out += '\\';
    out += static_cast<char>(c);
    return;
  }
  const bool special = (c < 0x20 && c != U'\t') || c == 0xFEFF || c == 0x2028 || c == 0x2029 ||
                       (c >= 0xE000 && c <= 0xF8FF) || c == 0xFFFE || c == 0xFFFF ||
                       (c >= 0xD800 && c <= 0xDFFF);
  if (special) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "<0x%04X>", static_cast<unsigned>(c));
    out += buffer;
    return;
  }
  AppendUtf8(out, c);
}

std::string EscapeValue(std::string_view value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '\\':
      case '<':
      case '>':
      case ':':
      case ',':
      case ';':
      case '(':
      case ')':
        out += '\\';
        [[fallthrough]];
      default:
        out += c;
    }
  }
  return out;
}

std::string Number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6g", value);
  return buffer;
}

// "COLOR:CMYK:Process:c,m,y,k" with components as fractions of 1 (RGB of 255).
std::string ColorSpec(const ColorValue& value) {
  std::string model;
  std::vector<double> parts;
  switch (value.space) {
    case ColorSpace::kCmyk:
      model = "CMYK";
      for (double c : value.components) parts.push_back(c / 100.0);
      break;
    case ColorSpace::kGray:
      model = "CMYK";
      parts = {0, 0, 0, value.components.empty() ? 0.0 : value.components[0] / 100.0};
      break;
    case ColorSpace::kRgb:
      model = "RGB";
      for (double c : value.components) parts.push_back(c / 255.0);
      break;
    case ColorSpace::kLab:
      model = "LAB";
      parts = value.components;
      break;
  }
  // A colour without components (as a loaded file may give) is written as all zeros.
  if (parts.empty()) parts.assign(model == "CMYK" ? 4 : 3, 0.0);
  std::string out = "COLOR:" + model + ":Process:";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += ',';
    out += Number(parts[i]);
  }
  return out;
}

// The value of a colour tag for swatch `index`: its name, or for an unnamed colour its
// escaped colour value.
std::string ColorTagValue(const Document& document, int32_t index) {
  const Swatch& swatch = document.swatches[index];
  if (!swatch.name.empty()) return EscapeValue(swatch.name);
  return EscapeValue(ColorSpec(swatch.value));
}

std::string_view BreakName(BreakType type) {
  switch (type) {
    case BreakType::kColumn:
      return "Column";
    case BreakType::kFrame:
      return "Box";
    case BreakType::kPage:
      return "Page";
    case BreakType::kOddPage:
      return "OddPage";
    case BreakType::kEvenPage:
      return "EvenPage";
    case BreakType::kNone:
      break;
  }
  return "";
}

void AppendTag(std::string& out, std::string_view name, std::string_view value) {
  out += '<';
  out += name;
  out += ':';
  out += value;
  out += '>';
}

void OpenRuby(std::string& out, const TagNames& tags, const Ruby& ruby) {
  AppendTag(out, tags.ruby, "1");
  AppendTag(out, tags.ruby_string, EscapeValue(ruby.text));
  AppendTag(out, tags.ruby_kind, ruby.per_character ? "1" : "0");
}

void CloseRuby(std::string& out, const TagNames& tags) {
  AppendTag(out, tags.ruby, "");
  AppendTag(out, tags.ruby_string, "");
  AppendTag(out, tags.ruby_kind, "");
}

void AppendHeader(std::string& out, const Document& document, const TagNames& tags) {
  out += "<UNICODE-WIN>\r\n";
  AppendTag(out, tags.version, "8");
  AppendTag(out, tags.feature_set, "InDesign-Japanese");
  // The colour table: Black first, as InDesign always lists it, then every named swatch.
  // Each entry is <name:value>; the name is escaped, the colour value's own : and , are not.
  std::string table = "=";
  const int32_t black = FindSwatch(document, "Black");
  table += "<Black:" +
           (black != kNone ? ColorSpec(document.swatches[black].value)
                           : std::string("COLOR:CMYK:Process:0,0,0,1")) +
           ">";
  for (const Swatch& swatch : document.swatches) {
    // "None" is InDesign's absence of colour, not an entry of the table.
    if (swatch.name.empty() || swatch.name == "Black" || swatch.name == "None") continue;
    table += "<" + EscapeValue(swatch.name) + ":" + ColorSpec(swatch.value) + ">";
  }
  AppendTag(out, tags.color_table, table);
  out += "\r\n";
  for (const CharacterStyle& style : document.character_styles) {
    const std::string name = EscapeValue(style.name);
    std::string definition = name + "=<Nextstyle:" + name + ">";
    if (style.fill_color != kNone) {
      definition +=
          "<" + std::string(tags.color) + ":" + ColorTagValue(document, style.fill_color) + ">";
    }
    AppendTag(out, tags.define_char_style, definition);
    out += "\r\n";
  }
  for (const ParagraphStyle& style : document.paragraph_styles) {
    const std::string name = EscapeValue(style.name);
    AppendTag(out, tags.define_para_style, name + "=<Nextstyle:" + name + ">");
    out += "\r\n";
  }
}

}  // namespace

Result<std::string> TaggedTextOf(const Document& document, int32_t story_index,
                                 int32_t character_set, int32_t tag_form) {
  if (character_set != indesign::kCharacterSetUnicode) {
    return Error{ErrorCode::kUnsupported,
                 "タグ付きテキストは Unicode（" + std::to_string(indesign::kCharacterSetUnicode) +
                     "）でしか書き出せません。書き出しの文字コードの設定が " +
                     std::to_string(character_set) + " です"};
  }
  const TagNames* tags = nullptr;
  if (tag_form == indesign::kTagFormAbbreviated) {
    tags = &kAbbreviated;
  } else if (tag_form == indesign::kTagFormVerbose) {
    tags = &kVerbose;
  } else {
    return Error{ErrorCode::kInvalidArgument,
                 "タグ付きテキストのタグの形式 " + std::to_string(tag_form) + " は不明です"};
  }
  std::string out;
  AppendHeader(out, document, *tags);

  const Story& story = document.stories[story_index];
  int32_t open_style = kNone;
  int32_t open_color = kNone;
  int32_t open_ruby = kNone;
  bool paragraph_start = true;
  bool open_break = false;
  size_t run = 0;
  for (size_t i = 0; i < story.text.size(); ++i) {
    while (run + 1 < story.runs.size() && story.runs[run + 1].start <= static_cast<int32_t>(i)) {
      ++run;
    }
    const TextFormat& format = story.runs[run].format;
    if (paragraph_start) {
      if (open_break) {
        AppendTag(out, tags->next_chars, "");
        open_break = false;
      }
      if (format.paragraph_style != kNone) {
        AppendTag(out, tags->para_style,
                  EscapeValue(document.paragraph_styles[format.paragraph_style].name));
      }
      paragraph_start = false;
    }
    const bool style_changes = format.character_style != open_style;
    const bool color_changes = format.fill_color != open_color;
    // Ruby is a character attribute of its own: on, its string and its kind before the base,
    // all three off after it.
    const int32_t ruby = format.ruby;
    if (ruby != open_ruby && open_ruby != kNone) CloseRuby(out, *tags);
    if (color_changes && open_color != kNone) AppendTag(out, tags->color, "");
    if (style_changes && open_style != kNone) AppendTag(out, tags->char_style, "");
    if (style_changes && format.character_style != kNone) {
      AppendTag(out, tags->char_style,
                EscapeValue(document.character_styles[format.character_style].name));
    }
    if (color_changes && format.fill_color != kNone) {
      AppendTag(out, tags->color, ColorTagValue(document, format.fill_color));
    }
    if (ruby != open_ruby && ruby != kNone) OpenRuby(out, *tags, document.rubies[ruby]);
    open_style = format.character_style;
    open_color = format.fill_color;
    open_ruby = ruby;

    const char32_t c = story.text[i];
    if (c == kParagraphReturn) {
      if (format.break_type != BreakType::kNone) {
        AppendTag(out, tags->next_chars, BreakName(format.break_type));
        open_break = true;
      }
      out += "\r\n";
      paragraph_start = true;
    } else {
      AppendTextChar(out, c);
    }
  }
  if (open_break) AppendTag(out, tags->next_chars, "");
  if (open_ruby != kNone) CloseRuby(out, *tags);
  if (open_color != kNone) AppendTag(out, tags->color, "");
  if (open_style != kNone) AppendTag(out, tags->char_style, "");
  return out;
}

Result<std::string> ExportTaggedText(const Document& document, int32_t story, int32_t character_set,
                                     int32_t tag_form) {
  MIRUNE_ASSIGN_OR_RETURN(std::string text, TaggedTextOf(document, story, character_set, tag_form));
  const std::u16string utf16 = Utf8ToUtf16(text);
  std::string bytes;
  bytes.reserve(2 + utf16.size() * 2);
  bytes += '\xFF';
  bytes += '\xFE';
  for (char16_t unit : utf16) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

}  // namespace mirune::layout
