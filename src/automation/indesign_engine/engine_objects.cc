// The engine's document, page, frame, story, character and book handles.

#include <string>
#include <utility>

#include "automation/indesign_engine/engine_state.h"
#include "automation/indesign_engine/find_change.h"
#include "automation/indesign_engine/tagged_text_export.h"
#include "automation/indesign_engine/text_edit.h"
#include "base/file.h"
#include "base/utf.h"

namespace mirune::indesign_engine {

Status EngineState::Enter() {
  ++calls;
  if (!alive) return Status(ErrorCode::kNotFound, "InDesign エンジンは終了しています");
  return Status::Ok();
}

Result<OpenDocument*> EngineState::Document(int64_t id) {
  for (auto& document : documents) {
    if (document->id == id) return document.get();
  }
  return Error{ErrorCode::kNotFound, "文書は既に閉じられています"};
}

Result<OpenBook*> EngineState::Book(int64_t id) {
  for (auto& book : books) {
    if (book->id == id) return book.get();
  }
  return Error{ErrorCode::kNotFound, "ブックは既に閉じられています"};
}

int EngineState::MajorVersion() const { return indesign::MajorVersion(version); }

Status CheckIndex(int32_t index, int64_t count, const char* collection) {
  if (index < 1 || index > count) {
    return Status(ErrorCode::kNotFound, std::string(collection) + " に " + std::to_string(index) +
                                            " 番目の項目がありません（全 " + std::to_string(count) +
                                            " 件）");
  }
  return Status::Ok();
}

namespace {

using layout::TextFormat;

// Where a text container's characters are: a frame's range of its story, or a whole story.
struct ContainerRef {
  bool is_frame = false;
  int32_t index = 0;  // frame or story index in the document
};

struct Span {
  int32_t story = 0;
  int32_t start = 0;  // story position of character 1
  int32_t count = 0;
};

Span SpanOf(const layout::Document& document, ContainerRef ref) {
  if (ref.is_frame) {
    const layout::TextFrame& frame = document.frames[ref.index];
    return {frame.story, frame.text_start, frame.text_end - frame.text_start};
  }
  return {ref.index, 0, static_cast<int32_t>(document.stories[ref.index].text.size())};
}

std::string CharacterText(const layout::Story& story, int32_t position) {
  std::string out;
  AppendUtf8(out, story.text[position]);
  return out;
}

// Writes `text` over one story character, with that character's formatting.
Status WriteOver(EngineState& state, layout::Document& document, const Span& span, int32_t index,
                 std::string_view text, indesign::TextProperty property) {
  MIRUNE_RETURN_IF_ERROR(CheckIndex(index, span.count, "Characters"));
  const bool version2 = state.MajorVersion() == 2;
  if (property == indesign::TextProperty::kTextContents && !version2) {
    return Status(ErrorCode::kHostError,
                  "InDesign " + state.version + " の文字には TextContents がありません");
  }
  if (property == indesign::TextProperty::kContents && version2) {
    return Status(
        ErrorCode::kHostError,
        "InDesign " + state.version + " では Contents に書き込めません（TextContents を使います）");
  }
  const int32_t position = span.start + index - 1;
  const TextFormat format = layout::FormatAt(document.stories[span.story], position);
  layout::ReplaceText(document, span.story, position, position + 1, Utf8ToUtf32(text), format);
  return Status::Ok();
}

class EngineCharacter : public indesign::Character {
 public:
  EngineCharacter(std::shared_ptr<EngineState> state, int64_t id, ContainerRef ref, int32_t index)
      : state_(std::move(state)), id_(id), ref_(ref), index_(index) {}

  Result<std::string> Contents() override {
    MIRUNE_RETURN_IF_ERROR(state_->Enter());
    MIRUNE_ASSIGN_OR_RETURN(OpenDocument * open, state_->Document(id_));
    const Span span = SpanOf(open->model, ref_);
    MIRUNE_RETURN_IF_ERROR(CheckIndex(index_, span.count, "Characters"));
    return CharacterText(open->model.stories[span.story], span.start + index_ - 1);
  }
  Status SetContents(std::string_view text) override {
    return Write(text, indesign::TextProperty::kContents);
  }
  Status SetTextContents(std::string_view text) override {
    return Write(text, indesign::TextProperty::kTextContents);
  }

 private:
  Status Write(std::string_view text, indesign::TextProperty property) {
    MIRUNE_RETURN_IF_ERROR(state_->Enter());
    MIRUNE_ASSIGN_OR_RETURN(OpenDocument * open, state_->Document(id_));
    return WriteOver(*state_, open->model, SpanOf(open->model, ref_), index_, text, property);
  }

  std::shared_ptr<EngineState> state_;
  int64_t id_;
  ContainerRef ref_;
  int32_t index_;
};

// The Characters of a frame or a story.
class ContainerImpl {
 public:
  ContainerImpl(std::shared_ptr<EngineState> state, int64_t id, ContainerRef ref)
      : state_(std::move(state)), id_(id), ref_(ref) {}

  Result<int32_t> CharacterCount() {
    MIRUNE_RETURN_IF_ERROR(state_->Enter());
    MIRUNE_ASSIGN_OR_RETURN(OpenDocument * open, state_->Document(id_));
    return SpanOf(open->model, ref_).count;
  }

  Result<std::unique_ptr<indesign::Character>> CharacterItem(int32_t index) {
    MIRUNE_RETURN_IF_ERROR(state_->Enter());
    MIRUNE_ASSIGN_OR_RETURN(OpenDocument * open, state_->Document(id_));
    MIRUNE_RETURN_IF_ERROR(CheckIndex(index, SpanOf(open->model, ref_).count, "Characters"));
    return std::unique_ptr<indesign::Character>(
        std::make_unique<EngineCharacter>(state_, id_, ref_, index));
  }

  Result<indesign::TextTail> ReadTail(int32_t max_characters) {
    MIRUNE_RETURN_IF_ERROR(state_->Enter());
    if (max_characters < 1) {
      return Error{ErrorCode::kInvalidArgument, "ReadTail needs at least one character"};
    }
    MIRUNE_ASSIGN_OR_RETURN(OpenDocument * open, state_->Document(id_));
    const Span span = SpanOf(open->model, ref_);
    const layout::Story& story = open->model.stories[span.story];
    indesign::TextTail tail;
    tail.count = span.count;
    const int32_t first = span.count > max_characters ? span.count - max_characters : 0;
    for (int32_t k = first; k < span.count; ++k) {
      tail.contents.push_back(CharacterText(story, span.start + k));
    }
    return tail;
  }

  Status WriteCharacter(int32_t index, std::string_view text, indesign::TextProperty property) {
    MIRUNE_RETURN_IF_ERROR(state_->Enter());
    MIRUNE_ASSIGN_OR_RETURN(OpenDocument * open, state_->Document(id_));
    return WriteOver(*state_, open->model, SpanOf(open->model, ref_), index, text, property);
  }

  EngineState& state() { return *state_; }
  int64_t id() const { return id_; }
  int32_t index() const { return ref_.index; }

 private:
  std::shared_ptr<EngineState> state_;
  int64_t id_;
  ContainerRef ref_;
};

// The Characters of a frame or a story, forwarded to the shared implementation.
template <typename Base>
class EngineContainer : public Base {
 public:
  EngineContainer(std::shared_ptr<EngineState> state, int64_t id, ContainerRef ref)
      : impl_(std::move(state), id, ref) {}
  Result<int32_t> CharacterCount() override { return impl_.CharacterCount(); }
  Result<std::unique_ptr<indesign::Character>> CharacterItem(int32_t index) override {
    return impl_.CharacterItem(index);
  }
  Result<indesign::TextTail> ReadTail(int32_t max_characters) override {
    return impl_.ReadTail(max_characters);
  }
  Status WriteCharacter(int32_t index, std::string_view text,
                        indesign::TextProperty property) override {
    return impl_.WriteCharacter(index, text, property);
  }

 protected:
  ContainerImpl impl_;
};

class EngineTextFrame : public EngineContainer<indesign::TextFrame> {
 public:
  EngineTextFrame(std::shared_ptr<EngineState> state, int64_t id, int32_t frame)
      : EngineContainer(std::move(state), id, ContainerRef{true, frame}) {}
};

class EngineStory : public EngineContainer<indesign::Story> {
 public:
  EngineStory(std::shared_ptr<EngineState> state, int64_t id, int32_t story)
      : EngineContainer(std::move(state), id, ContainerRef{false, story}) {}

  Status Export(int32_t format, const std::string& path) override {
    EngineState& state = impl_.state();
    MIRUNE_RETURN_IF_ERROR(state.Enter());
    MIRUNE_ASSIGN_OR_RETURN(OpenDocument * open, state.Document(impl_.id()));
    if (format != indesign::kTaggedTextFormat) {
      return Status(ErrorCode::kInvalidArgument,
                    "書き出し形式 " + std::to_string(format) + " はタグ付きテキストではありません");
    }
    if (path.empty()) return Status(ErrorCode::kInvalidArgument, "書き出し先が指定されていません");
    MIRUNE_ASSIGN_OR_RETURN(
        std::string bytes,
        layout::ExportTaggedText(open->model, impl_.index(), state.character_set, state.tag_form));
    return WriteFileAtomic(path, bytes);
  }

  Result<int32_t> Search(std::string_view find_what, std::string_view change_to) override {
    EngineState& state = impl_.state();
    MIRUNE_RETURN_IF_ERROR(state.Enter());
    MIRUNE_ASSIGN_OR_RETURN(OpenDocument * open, state.Document(impl_.id()));
    const int major = state.MajorVersion();
    if (major < 2 || major > 4) {
      return Error{ErrorCode::kHostError,
                   "InDesign " + state.version + " にはストーリーの Search がありません"};
    }
    layout::FindChangeRequest request;
    request.find_what = layout::DecodeFindText(find_what);
    request.change_to = layout::DecodeFindText(change_to);
    request.case_sensitive = state.find_options.case_sensitive;
    request.whole_word = state.find_options.whole_word;
    request.applied_character_style = state.change_formatting.applied_character_style;
    request.fill_color = state.change_formatting.fill_color;
    return layout::FindChangeInStory(open->model, impl_.index(), request);
  }
};

class EnginePage : public indesign::Page {
 public:
  EnginePage(std::shared_ptr<EngineState> state, int64_t id, int32_t page)
      : state_(std::move(state)), id_(id), page_(page) {}

  Result<std::string> Name() override {
    MIRUNE_ASSIGN_OR_RETURN(const layout::Page* page, Enter());
    return page->name;
  }
  Result<int32_t> TextFrameCount() override {
    MIRUNE_ASSIGN_OR_RETURN(const layout::Page* page, Enter());
    return static_cast<int32_t>(page->frames.size());
  }
  Result<std::unique_ptr<indesign::TextFrame>> TextFrameItem(int32_t index) override {
    MIRUNE_ASSIGN_OR_RETURN(const layout::Page* page, Enter());
    MIRUNE_RETURN_IF_ERROR(CheckIndex(index, page->frames.size(), "TextFrames"));
    return std::unique_ptr<indesign::TextFrame>(
        std::make_unique<EngineTextFrame>(state_, id_, page->frames[index - 1]));
  }
  Result<std::vector<std::unique_ptr<indesign::TextFrame>>> TextFrames() override {
    MIRUNE_ASSIGN_OR_RETURN(const layout::Page* page, Enter());
    std::vector<std::unique_ptr<indesign::TextFrame>> frames;
    for (int32_t f : page->frames)
      frames.push_back(std::make_unique<EngineTextFrame>(state_, id_, f));
    return frames;
  }

 private:
  Result<const layout::Page*> Enter() {
    MIRUNE_RETURN_IF_ERROR(state_->Enter());
    MIRUNE_ASSIGN_OR_RETURN(OpenDocument * open, state_->Document(id_));
    return &open->model.pages[page_];
  }

  std::shared_ptr<EngineState> state_;
  int64_t id_;
  int32_t page_;
};

class EngineDocument : public indesign::Document {
 public:
  EngineDocument(std::shared_ptr<EngineState> state, int64_t id)
      : state_(std::move(state)), id_(id) {}

  Result<std::string> FullName() override {
    MIRUNE_ASSIGN_OR_RETURN(layout::Document * document, Enter());
    return document->full_name;
  }
  Result<std::string> Name() override {
    MIRUNE_ASSIGN_OR_RETURN(layout::Document * document, Enter());
    return document->name;
  }
  Result<bool> Modified() override {
    MIRUNE_ASSIGN_OR_RETURN(layout::Document * document, Enter());
    return document->modified;
  }
  Result<int32_t> PageCount() override {
    MIRUNE_ASSIGN_OR_RETURN(layout::Document * document, Enter());
    return static_cast<int32_t>(document->pages.size());
  }
  Result<std::unique_ptr<indesign::Page>> PageItem(int32_t index) override {
    MIRUNE_ASSIGN_OR_RETURN(layout::Document * document, Enter());
    MIRUNE_RETURN_IF_ERROR(CheckIndex(index, document->pages.size(), "Pages"));
    return std::unique_ptr<indesign::Page>(std::make_unique<EnginePage>(state_, id_, index - 1));
  }
  Result<std::vector<std::unique_ptr<indesign::Page>>> Pages() override {
    MIRUNE_ASSIGN_OR_RETURN(layout::Document * document, Enter());
    std::vector<std::unique_ptr<indesign::Page>> pages;
    for (size_t p = 0; p < document->pages.size(); ++p) {
      pages.push_back(std::make_unique<EnginePage>(state_, id_, static_cast<int32_t>(p)));
    }
    return pages;
  }
  Result<std::vector<std::string>> PageNames() override {
    MIRUNE_ASSIGN_OR_RETURN(layout::Document * document, Enter());
    std::vector<std::string> names;
    for (const layout::Page& page : document->pages) names.push_back(page.name);
    return names;
  }
  Result<int32_t> StoryCount() override {
    MIRUNE_ASSIGN_OR_RETURN(layout::Document * document, Enter());
    return static_cast<int32_t>(document->stories.size());
  }
  Result<std::unique_ptr<indesign::Story>> StoryItem(int32_t index) override {
    MIRUNE_ASSIGN_OR_RETURN(layout::Document * document, Enter());
    MIRUNE_RETURN_IF_ERROR(CheckIndex(index, document->stories.size(), "Stories"));
    return std::unique_ptr<indesign::Story>(std::make_unique<EngineStory>(state_, id_, index - 1));
  }
  Status Close(int32_t save_option) override {
    MIRUNE_RETURN_IF_ERROR(state_->Enter());
    MIRUNE_RETURN_IF_ERROR(state_->Document(id_).status());
    if (save_option != indesign::kSaveNo) {
      return Status(ErrorCode::kUnsupported,
                    "InDesign エンジンは文書を保存せずに閉じることしかできません（" +
                        std::to_string(indesign::kSaveNo) + "）");
    }
    auto& documents = state_->documents;
    for (auto it = documents.begin(); it != documents.end(); ++it) {
      if ((*it)->id == id_) {
        documents.erase(it);  // the working copy and its changes are dropped
        break;
      }
    }
    return Status::Ok();
  }

 private:
  Result<layout::Document*> Enter() {
    MIRUNE_RETURN_IF_ERROR(state_->Enter());
    MIRUNE_ASSIGN_OR_RETURN(OpenDocument * open, state_->Document(id_));
    return &open->model;
  }

  std::shared_ptr<EngineState> state_;
  int64_t id_;
};

class EngineBook : public indesign::Book {
 public:
  EngineBook(std::shared_ptr<EngineState> state, int64_t id) : state_(std::move(state)), id_(id) {}

  Result<std::string> FullName() override {
    MIRUNE_ASSIGN_OR_RETURN(layout::Book * book, Enter());
    return book->full_name;
  }
  Result<std::string> Name() override {
    MIRUNE_ASSIGN_OR_RETURN(layout::Book * book, Enter());
    return book->name;
  }
  Result<bool> Modified() override {
    MIRUNE_ASSIGN_OR_RETURN(layout::Book * book, Enter());
    return book->modified;
  }
  Result<int32_t> ContentCount() override {
    MIRUNE_ASSIGN_OR_RETURN(layout::Book * book, Enter());
    return static_cast<int32_t>(book->members.size());
  }
  Result<std::string> ContentFullName(int32_t index) override {
    MIRUNE_ASSIGN_OR_RETURN(layout::Book * book, Enter());
    MIRUNE_RETURN_IF_ERROR(CheckIndex(index, book->members.size(), "BookContents"));
    return book->members[index - 1];
  }
  Status Close(int32_t save_option) override {
    MIRUNE_RETURN_IF_ERROR(state_->Enter());
    MIRUNE_RETURN_IF_ERROR(state_->Book(id_).status());
    if (save_option != indesign::kSaveNo) {
      return Status(ErrorCode::kUnsupported,
                    "InDesign エンジンはブックを保存せずに閉じることしかできません（" +
                        std::to_string(indesign::kSaveNo) + "）");
    }
    auto& books = state_->books;
    for (auto it = books.begin(); it != books.end(); ++it) {
      if ((*it)->id == id_) {
        books.erase(it);
        break;
      }
    }
    return Status::Ok();
  }

 private:
  Result<layout::Book*> Enter() {
    MIRUNE_RETURN_IF_ERROR(state_->Enter());
    MIRUNE_ASSIGN_OR_RETURN(OpenBook * open, state_->Book(id_));
    return &open->model;
  }

  std::shared_ptr<EngineState> state_;
  int64_t id_;
};

}  // namespace

std::unique_ptr<indesign::Document> MakeDocumentHandle(std::shared_ptr<EngineState> state,
                                                       int64_t id) {
  return std::make_unique<EngineDocument>(std::move(state), id);
}

std::unique_ptr<indesign::Book> MakeBookHandle(std::shared_ptr<EngineState> state, int64_t id) {
  return std::make_unique<EngineBook>(std::move(state), id);
}

}  // namespace mirune::indesign_engine
