#pragma once

// Small IDML packages written by hand for tests: one spread with pages 100 pt wide and
// 200 pt high side by side (page i spans x = 100·i − 50 … 100·i + 50, y = −100 … 100),
// frames given by their box in spread coordinates, stories given as story XML bodies.

#include <string>
#include <utility>
#include <vector>

#include "automation/idml/zip_archive.h"

namespace mirune::idml::testing {

struct MiniFrame {
  std::string self;
  std::string story;
  double left, top, right, bottom;
  std::string previous = "n";
  std::string next = "n";
  int columns = 1;
};

struct MiniPackage {
  std::vector<std::pair<std::string, std::string>> parts;

  void Set(const std::string& name, const std::string& content) {
    for (auto& part : parts) {
      if (part.first == name) {
        part.second = content;
        return;
      }
    }
    parts.emplace_back(name, content);
  }
  void Remove(const std::string& name) {
    for (size_t i = 0; i < parts.size(); ++i) {
      if (parts[i].first == name) {
        parts.erase(parts.begin() + static_cast<long>(i));
        return;
      }
    }
  }
  std::string Zip() const {
    ZipWriter zip;
    for (const auto& [name, content] : parts) zip.Add(name, content, name == "mimetype");
    return zip.Finish().value();
  }
};

inline std::string Num(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", v);
  return buffer;
}

// A story part whose Story element holds `body` (ParagraphStyleRange … elements).
inline std::string StoryXml(const std::string& self, const std::string& body,
                            const std::string& orientation = "Horizontal") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
         "<idPkg:Story xmlns:idPkg=\"http://ns.adobe.com/AdobeInDesign/idml/1.0/packaging\" "
         "DOMVersion=\"8.0\"><Story Self=\"" +
         self + "\"><StoryPreference StoryOrientation=\"" + orientation + "\"/>" + body +
         "</Story></idPkg:Story>";
}

// A story with one paragraph range and one character range holding `content` (XML text).
inline std::string SimpleStory(const std::string& self, const std::string& content,
                               const std::string& range_attributes = "") {
  return StoryXml(self,
                  "<ParagraphStyleRange AppliedParagraphStyle=\"ParagraphStyle/$ID/"
                  "NormalParagraphStyle\"><CharacterStyleRange AppliedCharacterStyle=\""
                  "CharacterStyle/$ID/[No character style]\"" +
                      range_attributes + ">" + content +
                      "</CharacterStyleRange></ParagraphStyleRange>");
}

inline std::string FrameXml(const MiniFrame& f) {
  auto point = [](double x, double y) {
    const std::string p = Num(x) + " " + Num(y);
    return "<PathPointType Anchor=\"" + p + "\" LeftDirection=\"" + p + "\" RightDirection=\"" + p +
           "\"/>";
  };
  return "<TextFrame Self=\"" + f.self + "\" ParentStory=\"" + f.story + "\" PreviousTextFrame=\"" +
         f.previous + "\" NextTextFrame=\"" + f.next +
         "\" ItemTransform=\"1 0 0 1 0 0\"><Properties><PathGeometry><GeometryPathType>"
         "<PathPointArray>" +
         point(f.left, f.top) + point(f.left, f.bottom) + point(f.right, f.bottom) +
         point(f.right, f.top) +
         "</PathPointArray></GeometryPathType></PathGeometry></Properties>"
         "<TextFramePreference TextColumnCount=\"" +
         std::to_string(f.columns) +
         "\" TextColumnGutter=\"0\" InsetSpacing=\"0 0 0 0\"/>"
         "</TextFrame>";
}

inline MiniPackage MakeMiniPackage(int pages, const std::vector<MiniFrame>& frames,
                                   const std::vector<std::pair<std::string, std::string>>& stories,
                                   const std::string& master_frames = "") {
  MiniPackage package;
  package.Set("mimetype", "application/vnd.adobe.indesign-idml-package");
  std::string designmap =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<Document xmlns:idPkg=\"http://ns.adobe.com/AdobeInDesign/idml/1.0/packaging\" "
      "DOMVersion=\"8.0\" Self=\"d\" StoryList=\"";
  for (size_t i = 0; i < stories.size(); ++i) designmap += (i ? " " : "") + stories[i].first;
  designmap +=
      "\"><idPkg:Graphic src=\"Resources/Graphic.xml\"/>"
      "<idPkg:Styles src=\"Resources/Styles.xml\"/>";
  if (!master_frames.empty()) designmap += "<idPkg:MasterSpread src=\"MasterSpreads/M.xml\"/>";
  designmap += "<idPkg:Spread src=\"Spreads/Spread_s1.xml\"/>";
  for (const auto& story : stories) {
    designmap += "<idPkg:Story src=\"Stories/Story_" + story.first + ".xml\"/>";
  }
  designmap += "</Document>";
  package.Set("designmap.xml", designmap);
  package.Set("Resources/Graphic.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><idPkg:Graphic xmlns:idPkg=\"x\">"
              "<Color Self=\"Color/Black\" Space=\"CMYK\" ColorValue=\"0 0 0 100\" Name=\"Black\"/>"
              "<Color Self=\"Color/Mark\" Space=\"CMYK\" ColorValue=\"0 100 0 0\" "
              "Name=\"RazozaMark1\"/>"
              "<Color Self=\"Color/u9\" Space=\"RGB\" ColorValue=\"1 2 3\" Name=\"\"/>"
              "<Swatch Self=\"Swatch/None\" Name=\"None\"/></idPkg:Graphic>");
  package.Set("Resources/Styles.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><idPkg:Styles xmlns:idPkg=\"x\">"
              "<RootCharacterStyleGroup Self=\"g1\">"
              "<CharacterStyle Self=\"CharacterStyle/$ID/[No character style]\" "
              "Name=\"$ID/[No character style]\"/>"
              "<CharacterStyle Self=\"CharacterStyle/RazozaMark2\" Name=\"RazozaMark2\" "
              "FillColor=\"Color/Mark\"/></RootCharacterStyleGroup>"
              "<RootParagraphStyleGroup Self=\"g2\">"
              "<ParagraphStyle Self=\"ParagraphStyle/$ID/NormalParagraphStyle\" "
              "Name=\"$ID/NormalParagraphStyle\" PointSize=\"10\" Leading=\"12\"/>"
              "</RootParagraphStyleGroup></idPkg:Styles>");
  std::string spread =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><idPkg:Spread xmlns:idPkg=\"x\">"
      "<Spread Self=\"s1\" ItemTransform=\"1 0 0 1 0 0\">";
  for (int p = 0; p < pages; ++p) {
    spread += "<Page Self=\"p" + std::to_string(p + 1) + "\" Name=\"" + std::to_string(p + 1) +
              "\" GeometricBounds=\"0 0 200 100\" ItemTransform=\"1 0 0 1 " + Num(100.0 * p - 50) +
              " -100\"/>";
  }
  for (const MiniFrame& f : frames) spread += FrameXml(f);
  spread += "</Spread></idPkg:Spread>";
  package.Set("Spreads/Spread_s1.xml", spread);
  if (!master_frames.empty()) {
    package.Set("MasterSpreads/M.xml",
                "<?xml version=\"1.0\"?><idPkg:MasterSpread xmlns:idPkg=\"x\"><MasterSpread "
                "Self=\"m1\"><Page Self=\"mp\" Name=\"A\" GeometricBounds=\"0 0 200 100\" "
                "ItemTransform=\"1 0 0 1 -50 -100\"/>" +
                    master_frames + "</MasterSpread></idPkg:MasterSpread>");
  }
  for (const auto& [self, xml] : stories) package.Set("Stories/Story_" + self + ".xml", xml);
  return package;
}

}  // namespace mirune::idml::testing
