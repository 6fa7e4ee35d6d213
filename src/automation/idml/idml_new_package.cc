// A new IDML package for a document built in code: the smallest set of parts that InDesign
// and this reader open — mimetype, designmap.xml, META-INF/container.xml, the three resource
// parts, one spread per page and one part per story.

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "automation/idml/color_element.h"
#include "automation/idml/idml_package.h"
#include "automation/idml/idml_writer.h"
#include "automation/idml/xml_part.h"
#include "automation/idml/zip_archive.h"
#include "base/utf.h"

namespace mirune::idml {

namespace {

using layout::kNone;

constexpr double kDefaultWidth = 419.527559055;  // A5, points
constexpr double kDefaultHeight = 595.275590551;
constexpr double kMargin = 36;
constexpr const char* kDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr const char* kPackageNamespace =
    "xmlns:idPkg=\"http://ns.adobe.com/AdobeInDesign/idml/1.0/packaging\" DOMVersion=\"8.0\"";

// Text for an attribute value or element content.
std::string Escape(std::string_view text, bool attribute) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += attribute ? "&quot;" : "\"";
        break;
      default:
        out += c;
    }
  }
  return out;
}

const char* BreakName(layout::BreakType type) {
  switch (type) {
    case layout::BreakType::kColumn:
      return "NextColumn";
    case layout::BreakType::kFrame:
      return "NextFrame";
    case layout::BreakType::kPage:
      return "NextPage";
    case layout::BreakType::kOddPage:
      return "NextOddPage";
    case layout::BreakType::kEvenPage:
      return "NextEvenPage";
    case layout::BreakType::kNone:
      break;
  }
  return nullptr;
}

bool IsNumber(const std::string& text, long& value) {
  if (text.empty() || text.size() > 9) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

class NewPackage {
 public:
  explicit NewPackage(const layout::Document& document) : document_(document) {}

  Result<std::string> Write() {
    const std::string problem = layout::CheckDocument(document_);
    if (!problem.empty()) {
      return Error{ErrorCode::kInternal, "文書の内部構造が壊れています（" + problem + "）"};
    }
    if (document_.pages.empty()) {
      return Error{ErrorCode::kUnsupported, "ページのない文書は IDML として保存できません"};
    }
    AssignSelfs();
    ZipWriter zip;
    zip.Add("mimetype", "application/vnd.adobe.indesign-idml-package", true);
    zip.Add("designmap.xml", Designmap());
    zip.Add("META-INF/container.xml",
            std::string(kDeclaration) +
                "<container version=\"1.0\" "
                "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n\t<rootfiles>\n"
                "\t\t<rootfile full-path=\"designmap.xml\" media-type=\"text/xml\">\n"
                "\t\t</rootfile>\n\t</rootfiles>\n</container>\n");
    zip.Add("Resources/Graphic.xml", Graphic());
    zip.Add("Resources/Styles.xml", Styles());
    zip.Add("Resources/Preferences.xml", Preferences());
    for (size_t p = 0; p < document_.pages.size(); ++p) {
      zip.Add("Spreads/Spread_" + spread_self_[p] + ".xml", SpreadPart(p));
    }
    for (size_t s = 0; s < document_.stories.size(); ++s) {
      zip.Add("Stories/Story_" + story_self_[s] + ".xml", StoryPart(s));
    }
    return zip.Finish();
  }

 private:
  std::string NextId() {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "u%x", next_id_++);
    return buffer;
  }

  void AssignSelfs() {
    // Page size: the first page's bounds when the document has them.
    const layout::Rect& first = document_.pages[0].bounds;
    if (first.right - first.left > 1 && first.bottom - first.top > 1) {
      width_ = first.right - first.left;
      height_ = first.bottom - first.top;
    }
    std::set<std::string> taken = {"Color/Black", "Color/Paper", "Color/Registration",
                                   "Swatch/None"};
    for (size_t i = 0; i < document_.swatches.size(); ++i) {
      const std::string& name = document_.swatches[i].name;
      std::string self;
      if (name == "Black" || name == "Paper" || name == "Registration") {
        self = "Color/" + name;
      } else if (name == "None") {
        self = "Swatch/None";
      } else {
        self = SelfFromName("Color", name.empty() ? NextId() : name);
        while (taken.count(self)) self = SelfFromName("Color", NextId());
        taken.insert(self);
        new_swatches_.push_back(i);
      }
      swatch_self_.push_back(self);
    }
    taken.clear();
    for (const layout::CharacterStyle& style : document_.character_styles) {
      std::string self = SelfFromName("CharacterStyle", style.name);
      while (taken.count(self) || style.name == "$ID/[No character style]") {
        self = SelfFromName("CharacterStyle", style.name + " " + NextId());
      }
      taken.insert(self);
      style_self_.push_back(self);
    }
    taken.clear();
    for (const layout::ParagraphStyle& style : document_.paragraph_styles) {
      std::string self = SelfFromName("ParagraphStyle", style.name);
      while (taken.count(self) || self == "ParagraphStyle/$ID/[No paragraph style]" ||
             self == "ParagraphStyle/$ID/NormalParagraphStyle") {
        self = SelfFromName("ParagraphStyle", style.name + " " + NextId());
      }
      taken.insert(self);
      paragraph_self_.push_back(self);
    }
    for (size_t s = 0; s < document_.stories.size(); ++s) story_self_.push_back(NextId());
    for (size_t f = 0; f < document_.frames.size(); ++f) frame_self_.push_back(NextId());
    for (size_t p = 0; p < document_.pages.size(); ++p) {
      spread_self_.push_back(NextId());
      page_self_.push_back(NextId());
    }
    layer_self_ = NextId();
  }

  std::string Designmap() {
    std::string out = kDeclaration;
    out +=
        "<?aid style=\"50\" type=\"document\" readerVersion=\"6.0\" featureSet=\"257\" "
        "product=\"8.0(370)\" ?>\n";
    out += "<Document ";
    out += kPackageNamespace;
    out += " Self=\"d\" StoryList=\"";
    for (size_t s = 0; s < story_self_.size(); ++s) {
      if (s) out += ' ';
      out += story_self_[s];
    }
    out += "\" Name=\"" + Escape(document_.name, true) + "\" ZeroPoint=\"0 0\" ActiveLayer=\"" +
           layer_self_ + "\">\n";
    out += "\t<idPkg:Graphic src=\"Resources/Graphic.xml\" />\n";
    out += "\t<idPkg:Styles src=\"Resources/Styles.xml\" />\n";
    out += "\t<idPkg:Preferences src=\"Resources/Preferences.xml\" />\n";
    out += "\t<Layer Self=\"" + layer_self_ +
           "\" Name=\"Layer 1\" Visible=\"true\" Locked=\"false\" IgnoreWrap=\"false\" "
           "ShowGuides=\"true\" LockGuides=\"false\" UI=\"true\" Expendable=\"true\" "
           "Printable=\"true\" />\n";
    for (size_t p = 0; p < document_.pages.size(); ++p) {
      out += "\t<idPkg:Spread src=\"Spreads/Spread_" + spread_self_[p] + ".xml\" />\n";
    }
    // Sections: numbering continues while page names count up by one.
    long previous = -2;
    for (size_t p = 0; p < document_.pages.size(); ++p) {
      long number = 0;
      const bool numeric = IsNumber(document_.pages[p].name, number);
      if (numeric && number == previous + 1 && p > 0) {
        previous = number;
        ++section_length_.back();
        continue;
      }
      section_start_.push_back(p);
      section_length_.push_back(1);
      section_number_.push_back(numeric ? number : 1);
      previous = numeric ? number : -2;
    }
    for (size_t i = 0; i < section_start_.size(); ++i) {
      out += "\t<Section Self=\"" + NextId() + "\" Length=\"" + std::to_string(section_length_[i]) +
             "\" Name=\"\" ContinueNumbering=\"false\" IncludeSectionPrefix=\"false\" "
             "PageNumberStart=\"" +
             std::to_string(std::max(1L, section_number_[i])) + "\" Marker=\"\" PageStart=\"" +
             page_self_[section_start_[i]] + "\" SectionPrefix=\"\" />\n";
    }
    for (size_t s = 0; s < story_self_.size(); ++s) {
      out += "\t<idPkg:Story src=\"Stories/Story_" + story_self_[s] + ".xml\" />\n";
    }
    out += "</Document>\n";
    return out;
  }

  std::string ColorElement(const std::string& self, const std::string& name,
                           const layout::ColorValue& value, bool editable) {
    std::string out = "\t<Color";
    for (const auto& [attribute, text] : ColorAttributes(self, name, value, editable)) {
      out += " " + attribute + "=\"" + Escape(text, true) + "\"";
    }
    return out + " />\n";
  }

  std::string Graphic() {
    std::string out = kDeclaration;
    out += "<idPkg:Graphic ";
    out += kPackageNamespace;
    out += ">\n";
    out += ColorElement("Color/Black", "Black", {layout::ColorSpace::kCmyk, {0, 0, 0, 100}}, false);
    out += ColorElement("Color/Paper", "Paper", {layout::ColorSpace::kCmyk, {0, 0, 0, 0}}, true);
    out += ColorElement("Color/Registration", "Registration",
                        {layout::ColorSpace::kCmyk, {100, 100, 100, 100}}, false);
    for (size_t i : new_swatches_) {
      const layout::Swatch& swatch = document_.swatches[i];
      out += ColorElement(swatch_self_[i], swatch.name, swatch.value, true);
    }
    out +=
        "\t<Swatch Self=\"Swatch/None\" Name=\"None\" ColorEditable=\"false\" "
        "ColorRemovable=\"false\" Visible=\"true\" SwatchCreatorID=\"7937\" />\n";
    out += "</idPkg:Graphic>\n";
    return out;
  }

  std::string Styles() {
    std::string out = kDeclaration;
    out += "<idPkg:Styles ";
    out += kPackageNamespace;
    out += ">\n";
    out += "\t<RootCharacterStyleGroup Self=\"" + NextId() + "\">\n";
    out +=
        "\t\t<CharacterStyle Self=\"CharacterStyle/$ID/[No character style]\" "
        "Imported=\"false\" Name=\"$ID/[No character style]\" />\n";
    for (size_t i = 0; i < document_.character_styles.size(); ++i) {
      const layout::CharacterStyle& style = document_.character_styles[i];
      out += "\t\t<CharacterStyle Self=\"" + Escape(style_self_[i], true) +
             "\" Imported=\"false\" KeyboardShortcut=\"0 0\" Name=\"" + Escape(style.name, true) +
             "\"";
      if (style.fill_color != kNone) {
        out += " FillColor=\"" + Escape(swatch_self_[static_cast<size_t>(style.fill_color)], true) +
               "\"";
      }
      out += ">\n\t\t\t<Properties>\n\t\t\t\t<BasedOn type=\"string\">";
      out += style.based_on == kNone
                 ? "$ID/[No character style]"
                 : Escape(style_self_[static_cast<size_t>(style.based_on)], false);
      out += "</BasedOn>\n\t\t\t</Properties>\n\t\t</CharacterStyle>\n";
    }
    out += "\t</RootCharacterStyleGroup>\n";
    out += "\t<RootParagraphStyleGroup Self=\"" + NextId() + "\">\n";
    out +=
        "\t\t<ParagraphStyle Self=\"ParagraphStyle/$ID/[No paragraph style]\" "
        "Name=\"$ID/[No paragraph style]\" Imported=\"false\" PointSize=\"12\" "
        "AutoLeading=\"120\" FillColor=\"Color/Black\" />\n";
    out +=
        "\t\t<ParagraphStyle Self=\"ParagraphStyle/$ID/NormalParagraphStyle\" "
        "Name=\"$ID/NormalParagraphStyle\" Imported=\"false\" NextStyle=\""
        "ParagraphStyle/$ID/NormalParagraphStyle\">\n\t\t\t<Properties>\n"
        "\t\t\t\t<BasedOn type=\"string\">$ID/[No paragraph style]</BasedOn>\n"
        "\t\t\t</Properties>\n\t\t</ParagraphStyle>\n";
    for (size_t i = 0; i < document_.paragraph_styles.size(); ++i) {
      out += "\t\t<ParagraphStyle Self=\"" + Escape(paragraph_self_[i], true) + "\" Name=\"" +
             Escape(document_.paragraph_styles[i].name, true) +
             "\" Imported=\"false\">\n\t\t\t<Properties>\n\t\t\t\t<BasedOn type=\"string\">"
             "$ID/NormalParagraphStyle</BasedOn>\n\t\t\t</Properties>\n\t\t</ParagraphStyle>\n";
    }
    out += "\t</RootParagraphStyleGroup>\n";
    out += "</idPkg:Styles>\n";
    return out;
  }

  std::string Preferences() {
    std::string out = kDeclaration;
    out += "<idPkg:Preferences ";
    out += kPackageNamespace;
    out += ">\n\t<DocumentPreference PageHeight=\"" + FormatNumber(height_) + "\" PageWidth=\"" +
           FormatNumber(width_) + "\" PagesPerDocument=\"" +
           std::to_string(document_.pages.size()) +
           "\" FacingPages=\"false\" DocumentBleedTopOffset=\"0\" DocumentBleedBottomOffset=\"0\" "
           "DocumentBleedInsideOrLeftOffset=\"0\" DocumentBleedOutsideOrRightOffset=\"0\" "
           "PageBinding=\"LeftToRight\" />\n";
    out += "</idPkg:Preferences>\n";
    return out;
  }

  // The frame's box in spread coordinates (the page is centred on the spread's origin).
  layout::Rect FrameBox(size_t f) const {
    const layout::TextFrame& frame = document_.frames[f];
    const layout::Rect& b = frame.bounds;
    if (b.right - b.left > 0.5 && b.bottom - b.top > 0.5) return b;
    const double left = -width_ / 2 + kMargin, right = width_ / 2 - kMargin;
    double top = -height_ / 2 + kMargin, bottom = height_ / 2 - kMargin;
    if (frame.page == kNone) {
      // On the pasteboard, to the right of the page.
      return {top, width_ / 2 + 36, top + 200, width_ / 2 + 236};
    }
    const std::vector<int32_t>& on_page = document_.pages[static_cast<size_t>(frame.page)].frames;
    size_t slot = 0;
    while (slot < on_page.size() && on_page[slot] != static_cast<int32_t>(f)) ++slot;
    const double band = (bottom - top) / static_cast<double>(std::max<size_t>(on_page.size(), 1));
    return {top + band * static_cast<double>(slot), left,
            top + band * static_cast<double>(slot + 1), right};
  }

  std::string FrameElement(size_t f) {
    const layout::TextFrame& frame = document_.frames[f];
    const layout::Story& story = document_.stories[static_cast<size_t>(frame.story)];
    std::string previous = "n", next = "n";
    for (size_t i = 0; i < story.frames.size(); ++i) {
      if (story.frames[i] != static_cast<int32_t>(f)) continue;
      if (i > 0) previous = frame_self_[static_cast<size_t>(story.frames[i - 1])];
      if (i + 1 < story.frames.size()) next = frame_self_[static_cast<size_t>(story.frames[i + 1])];
    }
    const layout::Rect box = FrameBox(f);
    std::string out = "\t\t<TextFrame Self=\"" + frame_self_[f] + "\" ParentStory=\"" +
                      story_self_[static_cast<size_t>(frame.story)] + "\" PreviousTextFrame=\"" +
                      previous + "\" NextTextFrame=\"" + next +
                      "\" ContentType=\"TextType\" ItemLayer=\"" + layer_self_ +
                      "\" ItemTransform=\"1 0 0 1 0 0\">\n";
    out +=
        "\t\t\t<Properties>\n\t\t\t\t<PathGeometry>\n\t\t\t\t\t<GeometryPathType "
        "PathOpen=\"false\">\n\t\t\t\t\t\t<PathPointArray>\n";
    const double xs[4] = {box.left, box.left, box.right, box.right};
    const double ys[4] = {box.top, box.bottom, box.bottom, box.top};
    for (int i = 0; i < 4; ++i) {
      const std::string point = FormatNumber(xs[i]) + " " + FormatNumber(ys[i]);
      out += "\t\t\t\t\t\t\t<PathPointType Anchor=\"" + point + "\" LeftDirection=\"" + point +
             "\" RightDirection=\"" + point + "\" />\n";
    }
    out +=
        "\t\t\t\t\t\t</PathPointArray>\n\t\t\t\t\t</GeometryPathType>\n\t\t\t\t"
        "</PathGeometry>\n\t\t\t</Properties>\n";
    out +=
        "\t\t\t<TextFramePreference TextColumnCount=\"1\" TextColumnGutter=\"12\" "
        "InsetSpacing=\"0 0 0 0\" />\n";
    out += "\t\t</TextFrame>\n";
    return out;
  }

  std::string SpreadPart(size_t p) {
    std::string out = kDeclaration;
    out += "<idPkg:Spread ";
    out += kPackageNamespace;
    out += ">\n\t<Spread Self=\"" + spread_self_[p] +
           "\" PageCount=\"1\" BindingLocation=\"0\" ShowMasterItems=\"true\" "
           "AllowPageShuffle=\"true\" ItemTransform=\"1 0 0 1 0 " +
           FormatNumber(static_cast<double>(p) * (height_ + 36)) + "\">\n";
    out += "\t\t<Page Self=\"" + page_self_[p] + "\" Name=\"" +
           Escape(document_.pages[p].name, true) + "\" AppliedMaster=\"n\" GeometricBounds=\"0 0 " +
           FormatNumber(height_) + " " + FormatNumber(width_) + "\" ItemTransform=\"1 0 0 1 " +
           FormatNumber(-width_ / 2) + " " + FormatNumber(-height_ / 2) + "\" />\n";
    for (size_t f = 0; f < document_.frames.size(); ++f) {
      const int32_t page = document_.frames[f].page;
      // Pasteboard frames go on the first spread.
      if (page == static_cast<int32_t>(p) || (page == kNone && p == 0)) out += FrameElement(f);
    }
    out += "\t</Spread>\n</idPkg:Spread>\n";
    return out;
  }

  std::string StoryPart(size_t s) {
    const layout::Story& story = document_.stories[s];
    std::string out = kDeclaration;
    out += "<idPkg:Story ";
    out += kPackageNamespace;
    out += ">\n\t<Story Self=\"" + story_self_[s] +
           "\" AppliedTOCStyle=\"n\" TrackChanges=\"false\" StoryTitle=\"$ID/\" "
           "AppliedNamedGrid=\"n\">\n";
    out +=
        "\t\t<StoryPreference OpticalMarginAlignment=\"false\" OpticalMarginSize=\"12\" "
        "FrameType=\"TextFrameType\" StoryOrientation=\"Horizontal\" "
        "StoryDirection=\"LeftToRightDirection\" />\n";
    const std::u32string& text = story.text;
    size_t run = 0;
    size_t i = 0;
    while (i < text.size()) {
      // One paragraph range per paragraph.
      size_t end = i;
      while (end < text.size() && text[end] != layout::kParagraphReturn) ++end;
      if (end < text.size()) ++end;  // the return belongs to its paragraph
      while (run + 1 < story.runs.size() && static_cast<size_t>(story.runs[run + 1].start) <= i) {
        ++run;
      }
      const int32_t paragraph_style = story.runs[run].format.paragraph_style;
      out +=
          "\t\t<ParagraphStyleRange AppliedParagraphStyle=\"" +
          Escape(paragraph_style == kNone ? "ParagraphStyle/$ID/NormalParagraphStyle"
                                          : paragraph_self_[static_cast<size_t>(paragraph_style)],
                 true) +
          "\">\n";
      size_t k = i;
      while (k < end) {
        while (run + 1 < story.runs.size() && static_cast<size_t>(story.runs[run + 1].start) <= k) {
          ++run;
        }
        const layout::TextFormat& format = story.runs[run].format;
        size_t stop = run + 1 < story.runs.size()
                          ? std::min(end, static_cast<size_t>(story.runs[run + 1].start))
                          : end;
        // A paragraph return with a break sits in a range of its own.
        const char* break_name = nullptr;
        if (text[k] == layout::kParagraphReturn) {
          break_name = BreakName(format.break_type);
          stop = k + 1;
        } else {
          for (size_t j = k; j < stop; ++j) {
            if (text[j] == layout::kParagraphReturn && BreakName(format.break_type)) {
              stop = j;
              break;
            }
          }
        }
        out += "\t\t\t<CharacterStyleRange AppliedCharacterStyle=\"" +
               Escape(format.character_style == kNone
                          ? "CharacterStyle/$ID/[No character style]"
                          : style_self_[static_cast<size_t>(format.character_style)],
                      true) +
               "\"";
        if (format.fill_color != kNone) {
          out += " FillColor=\"" +
                 Escape(swatch_self_[static_cast<size_t>(format.fill_color)], true) + "\"";
        }
        if (format.point_size > 0) out += " PointSize=\"" + FormatNumber(format.point_size) + "\"";
        if (format.ruby != kNone) {
          const layout::Ruby& ruby = document_.rubies[static_cast<size_t>(format.ruby)];
          out += " RubyFlag=\"true\" RubyString=\"" + Escape(ruby.text, true) + "\" RubyType=\"" +
                 (ruby.per_character ? "PerCharacterRuby" : "GroupRuby") + "\"";
        }
        if (format.leading > 0) out += " Leading=\"" + FormatNumber(format.leading) + "\"";
        if (break_name) out += std::string(" ParagraphBreakType=\"") + break_name + "\"";
        out += ">\n";
        out += ContentOf(text, k, stop);
        out += "\t\t\t</CharacterStyleRange>\n";
        k = stop;
      }
      out += "\t\t</ParagraphStyleRange>\n";
      i = end;
    }
    out += "\t</Story>\n</idPkg:Story>\n";
    return out;
  }

  // Content elements and Br for characters [begin, end).
  static std::string ContentOf(const std::u32string& text, size_t begin, size_t end) {
    std::string out;
    std::string content;
    auto flush = [&] {
      if (content.empty()) return;
      out += "\t\t\t\t<Content>" + content + "</Content>\n";
      content.clear();
    };
    for (size_t i = begin; i < end; ++i) {
      const char32_t c = text[i];
      if (c == layout::kParagraphReturn) {
        flush();
        out += "\t\t\t\t<Br />\n";
      } else if (c == layout::kForcedLineBreak) {
        AppendUtf8(content, 0x2028);
      } else if ((c < 0x20 && c != U'\t') || c == 0xFFFE || c == 0xFFFF ||
                 (c >= 0xD800 && c <= 0xDFFF)) {
        // InDesign's special characters: a processing instruction with the code in hex.
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "<?ACE %X?>", static_cast<unsigned>(c));
        content += buffer;
      } else {
        std::string utf8;
        AppendUtf8(utf8, c);
        content += Escape(utf8, false);
      }
    }
    flush();
    return out;
  }

  const layout::Document& document_;
  double width_ = kDefaultWidth, height_ = kDefaultHeight;
  unsigned next_id_ = 0x100;
  std::vector<std::string> swatch_self_, style_self_, paragraph_self_;
  std::vector<std::string> story_self_, frame_self_, spread_self_, page_self_;
  std::vector<size_t> new_swatches_;
  std::string layer_self_;
  std::vector<size_t> section_start_, section_length_;
  std::vector<long> section_number_;
};

}  // namespace

Result<std::string> WriteNewIdmlPackage(const layout::Document& document) {
  NewPackage package(document);
  return package.Write();
}

}  // namespace mirune::idml
