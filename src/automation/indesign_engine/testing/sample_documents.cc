#include "automation/indesign_engine/testing/sample_documents.h"

#include <utility>

#include "automation/indesign_engine/builder.h"
#include "base/utf.h"

namespace mirune::indesign_test {

using layout::TextFormat;

layout::Document GoldenSampleDocument(std::string full_name) {
  layout::DocumentBuilder b(std::move(full_name));
  b.AddSwatch("Black", {layout::ColorSpace::kCmyk, {0, 0, 0, 100}});
  const int32_t mark1 = b.AddSwatch("RazozaMark1", {layout::ColorSpace::kCmyk, {0, 100, 0, 0}});
  const int32_t blue = b.AddSwatch("Blue (Text)", {layout::ColorSpace::kRgb, {0, 0, 255}});
  const int32_t mark2 = b.AddCharacterStyle("RazozaMark2", mark1);
  b.AddCharacterStyle("強調");
  const int32_t body = b.AddParagraphStyle("本文");
  const TextFormat plain{.paragraph_style = body};
  const TextFormat color{.fill_color = mark1, .paragraph_style = body};
  const TextFormat style{.character_style = mark2, .paragraph_style = body};
  const TextFormat blue_text{.fill_color = blue, .paragraph_style = body};

  const int32_t story = b.AddStory();
  b.Append(story, "日本語の", plain);
  b.Append(story, "索引", color);
  b.Append(story, "と", plain);
  b.Append(story, "用語", style);
  b.Append(story, "。\r", plain);
  b.Append(story, "東京", color);
  b.Append(story, "大学", style);
  b.Append(story, "の", plain);
  b.Append(story, "青い字", blue_text);
  b.Append(story, "\r", plain);
  b.Append(story, "記号<a>と\\記号\tタブ\n改行", plain);
  b.Append(story, "\x18", plain);
  b.Append(story, "頁\r最後の", plain);
  b.Append(story, "用語", color);
  const int32_t first_frame =
      static_cast<int32_t>(Utf8ToUtf32("日本語の索引と用語。\r東京大学の青い字\r"
                                       "記号<a>と\\記号\tタブ\n改行\x18頁\r最後の用語")
                               .size());
  b.Append(story, "集", color);
  b.Append(story, "です。", plain);
  b.Append(story, "二頁目", style);
  b.Append(story, "\r", plain);
  const int32_t p1 = b.AddPage("1");
  const int32_t p2 = b.AddPage("2");
  b.AddFrame(p1, story, first_frame);
  b.AddFrame(p2, story);
  return std::move(b.Build()).value();
}

}  // namespace mirune::indesign_test
