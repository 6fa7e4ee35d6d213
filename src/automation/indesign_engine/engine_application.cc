#include "automation/indesign_engine/engine_application.h"

#include <cstdint>
#include <utility>

#include "automation/indesign_engine/engine_state.h"
#include "automation/indesign_engine/find_change.h"

namespace mirune::indesign_engine {

EngineApplication::EngineApplication() : state_(std::make_shared<EngineState>()) {}

EngineApplication::~EngineApplication() {
  // Handles may outlive the application: they see a dead state and fail.
  state_->alive = false;
  state_->documents.clear();
  state_->books.clear();
}

void EngineApplication::RegisterDocument(layout::Document document) {
  std::string key = document.full_name;
  state_->registered_documents.insert_or_assign(std::move(key), std::move(document));
}

void EngineApplication::RegisterBook(layout::Book book) {
  std::string key = book.full_name;
  state_->registered_books.insert_or_assign(std::move(key), std::move(book));
}

void EngineApplication::AddLoader(Loader loader) { state_->loaders.push_back(std::move(loader)); }

void EngineApplication::SetVersion(std::string version) { state_->version = std::move(version); }

int64_t EngineApplication::call_count() const { return state_->calls; }

void EngineApplication::ResetCallCount() { state_->calls = 0; }

layout::Document* EngineApplication::OpenDocumentModel(const std::string& full_name) {
  for (auto& document : state_->documents) {
    if (document->model.full_name == full_name) return &document->model;
  }
  return nullptr;
}

const layout::Document* EngineApplication::RegisteredDocument(const std::string& full_name) const {
  auto it = state_->registered_documents.find(full_name);
  return it == state_->registered_documents.end() ? nullptr : &it->second;
}

Result<int32_t> EngineApplication::BookCount() {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  return static_cast<int32_t>(state_->books.size());
}

Result<std::unique_ptr<indesign::Book>> EngineApplication::BookItem(int32_t index) {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  MIRUNE_RETURN_IF_ERROR(CheckIndex(index, state_->books.size(), "Books"));
  return MakeBookHandle(state_, state_->books[index - 1]->id);
}

Result<int32_t> EngineApplication::DocumentCount() {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  return static_cast<int32_t>(state_->documents.size());
}

Result<std::unique_ptr<indesign::Document>> EngineApplication::DocumentItem(int32_t index) {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  MIRUNE_RETURN_IF_ERROR(CheckIndex(index, state_->documents.size(), "Documents"));
  return MakeDocumentHandle(state_, state_->documents[index - 1]->id);
}

namespace {

indesign::OpenedItem Opened(std::unique_ptr<indesign::Document> document) {
  indesign::OpenedItem item;
  item.document = std::move(document);
  return item;
}

indesign::OpenedItem Opened(std::unique_ptr<indesign::Book> book) {
  indesign::OpenedItem item;
  item.book = std::move(book);
  return item;
}

}  // namespace

Result<indesign::OpenedItem> EngineApplication::Open(const std::string& path) {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  EngineState& state = *state_;
  if (path.empty()) return Error{ErrorCode::kInvalidArgument, "開くファイルが指定されていません"};
  // Already open: InDesign brings it to the front and returns it.
  for (size_t i = 0; i < state.documents.size(); ++i) {
    if (state.documents[i]->model.full_name == path) {
      auto open = std::move(state.documents[i]);
      state.documents.erase(state.documents.begin() + i);
      state.documents.insert(state.documents.begin(), std::move(open));
      return Opened(MakeDocumentHandle(state_, state.documents.front()->id));
    }
  }
  for (const auto& book : state.books) {
    if (book->model.full_name == path) return Opened(MakeBookHandle(state_, book->id));
  }

  LoadedItem loaded;
  if (auto it = state.registered_documents.find(path); it != state.registered_documents.end()) {
    loaded.document = it->second;
  } else if (auto b = state.registered_books.find(path); b != state.registered_books.end()) {
    loaded.book = b->second;
  } else {
    bool handled = false;
    for (const Loader& loader : state.loaders) {
      if (!loader.accepts || !loader.load || !loader.accepts(path)) continue;
      Result<LoadedItem> result = loader.load(path);
      if (!result.ok()) {
        // The loader's cause names the file where it can; otherwise the path goes first.
        const std::string& cause = result.message();
        if (cause.find(path) != std::string::npos) return result.status().error();
        return Error{result.code(), path + " を開けません: " + cause};
      }
      loaded = std::move(result).value();
      handled = true;
      break;
    }
    if (!handled) {
      return Error{ErrorCode::kNotFound,
                   path + " を開けません: 文書やブックとして読めるファイルではありません"};
    }
  }

  if (loaded.document) {
    // A damaged model would make later calls read out of range: refuse it here.
    const std::string problem = layout::CheckDocument(*loaded.document);
    if (!problem.empty()) {
      return Error{ErrorCode::kFormatError,
                   path + " を開けません: 文書の内容に矛盾があります（" + problem + "）"};
    }
    auto open = std::make_unique<OpenDocument>();
    open->id = state.next_id++;
    open->model = std::move(*loaded.document);
    if (open->model.full_name.empty()) open->model.full_name = path;
    const int64_t id = open->id;
    state.documents.insert(state.documents.begin(), std::move(open));
    return Opened(MakeDocumentHandle(state_, id));
  }
  if (loaded.book) {
    auto open = std::make_unique<OpenBook>();
    open->id = state.next_id++;
    open->model = std::move(*loaded.book);
    if (open->model.full_name.empty()) open->model.full_name = path;
    const int64_t id = open->id;
    state.books.insert(state.books.begin(), std::move(open));
    return Opened(MakeBookHandle(state_, id));
  }
  return Error{ErrorCode::kInternal,
               path + " を読み込みましたが、文書もブックも得られませんでした"};
}

Result<std::unique_ptr<indesign::Document>> EngineApplication::ActiveDocument() {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  if (state_->documents.empty()) return Error{ErrorCode::kNotFound, "開いている文書がありません"};
  return MakeDocumentHandle(state_, state_->documents.front()->id);
}

Result<std::string> EngineApplication::Version() {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  return state_->version;
}

Result<int32_t> EngineApplication::TaggedTextCharacterSet() {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  return state_->character_set;
}

Status EngineApplication::SetTaggedTextCharacterSet(int32_t character_set) {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  // Any of InDesign's values is accepted here; Export says which ones it can write.
  state_->character_set = character_set;
  return Status::Ok();
}

Result<int32_t> EngineApplication::TaggedTextTagForm() {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  return state_->tag_form;
}

Status EngineApplication::SetTaggedTextTagForm(int32_t tag_form) {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  if (tag_form != indesign::kTagFormAbbreviated && tag_form != indesign::kTagFormVerbose) {
    return Status(ErrorCode::kInvalidArgument,
                  "タグの形式 " + std::to_string(tag_form) + " は省略形（" +
                      std::to_string(indesign::kTagFormAbbreviated) + "）でも詳細形（" +
                      std::to_string(indesign::kTagFormVerbose) + "）でもありません");
  }
  state_->tag_form = tag_form;
  return Status::Ok();
}

Result<std::string> EngineApplication::FindWhat() {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  return state_->find_what;
}

Status EngineApplication::SetFindWhat(std::string_view text) {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  state_->find_what = std::string(text);
  return Status::Ok();
}

Result<std::string> EngineApplication::ChangeTo() {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  return state_->change_to;
}

Status EngineApplication::SetChangeTo(std::string_view text) {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  state_->change_to = std::string(text);
  return Status::Ok();
}

Result<indesign::ChangeFormatting> EngineApplication::GetChangeFormatting() {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  return state_->change_formatting;
}

Status EngineApplication::SetChangeFormatting(const indesign::ChangeFormatting& formatting) {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  state_->change_formatting = formatting;
  return Status::Ok();
}

Result<indesign::FindOptions> EngineApplication::GetFindOptions() {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  return state_->find_options;
}

Status EngineApplication::SetFindOptions(const indesign::FindOptions& options) {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  state_->find_options = options;
  return Status::Ok();
}

Result<int32_t> EngineApplication::ChangeText() {
  MIRUNE_RETURN_IF_ERROR(state_->Enter());
  EngineState& state = *state_;
  const int major = state.MajorVersion();
  if (major >= 2 && major <= 4) {
    return Error{
        ErrorCode::kHostError,
        "InDesign " + state.version + " には ChangeText（アプリケーションの置換）がありません"};
  }
  if (state.find_what.empty()) {
    return Error{ErrorCode::kInvalidArgument, "検索する文字列が空です"};
  }
  layout::FindChangeRequest request;
  request.find_what = layout::DecodeFindText(state.find_what);
  request.change_to = layout::DecodeFindText(state.change_to);
  request.case_sensitive = state.find_options.case_sensitive;
  request.whole_word = state.find_options.whole_word;
  request.applied_character_style = state.change_formatting.applied_character_style;
  request.fill_color = state.change_formatting.fill_color;
  int64_t changed = 0;
  for (auto& open : state.documents) {
    for (size_t s = 0; s < open->model.stories.size(); ++s) {
      changed += layout::FindChangeInStory(open->model, static_cast<int32_t>(s), request);
    }
  }
  if (changed > INT32_MAX)
    return Error{ErrorCode::kOverflow, "置き換えた箇所が多すぎて数えられません"};
  return static_cast<int32_t>(changed);
}

}  // namespace mirune::indesign_engine
