#include "automation/indesign_engine/testing/host_contract.h"

#include <utility>

#include "automation/indesign_engine/builder.h"

namespace mirune::indesign_contract {

using layout::DocumentBuilder;
using layout::TextFormat;

layout::Document ContractSampleDocument(std::string full_name) {
  DocumentBuilder b(std::move(full_name));
  b.AddSwatch("Black", {layout::ColorSpace::kCmyk, {0, 0, 0, 100}});
  const int32_t mark1 = b.AddSwatch("RazozaMark1", {layout::ColorSpace::kCmyk, {0, 100, 0, 0}});
  const int32_t blue = b.AddSwatch("Mark Blue", {layout::ColorSpace::kCmyk, {100, 0, 0, 0}});
  const int32_t mark2 = b.AddCharacterStyle("RazozaMark2", blue);
  const int32_t body = b.AddParagraphStyle("本文");
  const TextFormat plain{.paragraph_style = body};
  const int32_t p1 = b.AddPage("1");
  const int32_t p2 = b.AddPage("2");
  const int32_t p3 = b.AddPage("3");
  const int32_t p4 = b.AddPage("iv");

  const int32_t s1 = b.AddStory();
  b.Append(s1, "索引の", plain);
  b.Append(s1, "用語", {.fill_color = mark1, .paragraph_style = body});
  b.Append(s1, "です。\r", plain);
  b.Append(s1, "次", {.character_style = mark2, .paragraph_style = body});
  b.Append(s1, "のページ\r", plain);
  const int32_t s2 = b.AddStory();
  b.Append(s2, "末尾\x04\x18", plain);
  const int32_t s3 = b.AddStory();
  const int32_t s4 = b.AddStory();
  b.Append(s4, "タブ\t", plain);
  const int32_t s5 = b.AddStory();
  b.Append(s5, "X", plain);

  b.AddFrame(p1, s1, 9);
  b.AddFrame(p2, s1);
  b.AddFrame(p3, s2);
  b.AddFrame(p3, s3);
  b.AddFrame(p4, s4);
  b.AddFrame(layout::kNone, s5);
  return std::move(b.Build()).value();
}

layout::Document ContractSecondDocument(std::string full_name) {
  DocumentBuilder b(std::move(full_name));
  const int32_t page = b.AddPage("5");
  const int32_t story = b.AddStory();
  b.Append(story, "第二章\r");
  b.AddFrame(page, story);
  return std::move(b.Build()).value();
}

layout::Document ContractLargeDocument(std::string full_name) {
  DocumentBuilder b(std::move(full_name));
  for (int i = 1; i <= 40000; ++i) b.AddPage(std::to_string(i));
  const int32_t story = b.AddStory();
  b.Append(story, std::string(70000, 'a'));
  b.AddFrame(0, story);
  return std::move(b.Build()).value();
}

std::unique_ptr<indesign::Document> OpenDocument(indesign::Application& app,
                                                 const std::string& path) {
  auto opened = app.Open(path);
  EXPECT_TRUE(opened.ok()) << opened.status().ToString();
  if (!opened.ok() || !opened->document) return nullptr;
  return std::move(opened->document);
}

std::string StoryText(indesign::Document& document, int32_t story_index) {
  auto story = document.StoryItem(story_index);
  if (!story.ok()) return "<" + story.status().ToString() + ">";
  auto count = (*story)->CharacterCount();
  if (!count.ok()) return "<" + count.status().ToString() + ">";
  std::string text;
  for (int32_t k = 1; k <= *count; ++k) {
    auto character = (*story)->CharacterItem(k);
    if (!character.ok()) return "<" + character.status().ToString() + ">";
    text += (*character)->Contents().value();
  }
  return text;
}

HostEnvironment ContractPathsEnvironment(std::string name, std::string temp_folder) {
  HostEnvironment env;
  env.name = std::move(name);
  env.version_settable = true;
  env.document_path = kContractDocumentPath;
  env.second_document_path = kContractSecondPath;
  env.book_path = kContractBookPath;
  env.large_document_path = kContractLargePath;
  env.temp_folder = std::move(temp_folder);
  return env;
}

}  // namespace mirune::indesign_contract
