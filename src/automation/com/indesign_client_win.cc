#include "automation/com/indesign_client_win.h"

#include <optional>
#include <utility>
#include <vector>

#include "automation/com/activation_win.h"
#include "automation/com/dispatcher_win.h"
#include "automation/com/list_result_win.h"
#include "base/utf.h"

namespace mirune::com {
namespace {

constexpr char kHost[] = "InDesign";

// InDesign's `NothingEnum.NOTHING` ("nada"): what a find/change property holds when it is
// not set, and what clears it.
constexpr int32_t kNothing = 1851876449;

// Whether the document or book a handle belongs to is still open as far as this client
// knows: shared by the handle and every handle made from it.
using OpenFlag = std::shared_ptr<bool>;

Status Closed(const OpenFlag& open) {
  if (*open) return Status::Ok();
  return Status(ErrorCode::kNotFound, "InDesign の文書またはブックは既に閉じられています");
}

Status CheckIndex(int32_t index, const char* collection) {
  if (index >= 1) return Status::Ok();
  return Status(ErrorCode::kNotFound, std::string("InDesign の ") + collection + " に " +
                                          std::to_string(index) +
                                          " 番目の項目はありません（番号は 1 から）");
}

// The text of a `Contents` value. InDesign gives a special character that stands alone as a
// `SpecialCharacters` number instead of text; those that the jobs meet read as the control
// characters that stand for them in a longer text.
Result<std::string> ContentsText(const VARIANT& value, const std::string& label) {
  if (value.vt == VT_I4 || value.vt == VT_I2 || value.vt == VT_R8) {
    Result<int32_t> code = VariantToInt32(value);
    if (!code.ok()) return code.error();
    switch (*code) {
      case 1396797550:  // AUTO_PAGE_NUMBER
      case 1397649518:  // NEXT_PAGE_NUMBER
      case 1397780590:  // PREVIOUS_PAGE_NUMBER
        return std::string("\x18");
      case 1400073805:  // SECTION_MARKER
        return std::string("\x19");
      case 1397124194:  // FORCED_LINE_BREAK
        return std::string("\n");
      default:
        // Any other special character is a character of its own that marks no text.
        return std::string("\x1a");
    }
  }
  Result<std::string> text = VariantToUtf8(value);
  if (!text.ok()) {
    return Error{ErrorCode::kHostError, "InDesign の " + label + " の値が文字列ではありません"};
  }
  return text;
}

// What the client has learnt about its InDesign, shared by every object it hands out and kept
// for the client's life: whether the batched reads work (they are tried first and given up
// for the plain members on the first member the host lacks, or a length that disagrees with
// `Count`), the generation, and the fallbacks taken, in words.
struct ClientState {
  enum class Batch { kUntried, kVerified, kPlain };
  Batch elements = Batch::kUntried;  // EveryItem().GetElements()
  Batch names = Batch::kUntried;     // EveryItem().Name
  std::optional<int> major;          // from Version, once read
  // Whether `Characters` counts UTF-16 units (a character beyond the BMP as two), learnt at
  // the first write after such a character.
  bool utf16_characters = false;
  std::vector<std::string> fallbacks;
  std::optional<Dispatcher> application;

  // The generation, reading `Version` when no job has read it yet.
  Result<int> Major() {
    if (!major) {
      MIRUNE_ASSIGN_OR_RETURN(const std::string version, application->GetText("Version"));
      major = indesign::MajorVersion(version);
    }
    return *major;
  }
};
using StatePtr = std::shared_ptr<ClientState>;

// The objects of `EveryItem().GetElements()`, each wrapped as `type`.
Result<std::vector<Dispatcher>> BatchedElements(Dispatcher& collection, const std::string& type,
                                                ListShape* shape) {
  MIRUNE_ASSIGN_OR_RETURN(Dispatcher every,
                          collection.CallObject("EveryItem", {}, collection.type() + ".EveryItem"));
  MIRUNE_ASSIGN_OR_RETURN(UniqueVariant value, every.Call("GetElements"));
  MIRUNE_ASSIGN_OR_RETURN(ListValue list,
                          ReadListValue(every, std::move(value), every.path() + ".GetElements()",
                                        collection.type() + ".Elements"));
  *shape = list.shape;
  std::vector<Dispatcher> objects;
  objects.reserve(list.items.size());
  for (size_t i = 0; i < list.items.size(); ++i) {
    Result<ComPtr<IDispatch>> object = VariantToDispatch(list.items[i].get());
    const std::string label = every.path() + ".GetElements()[" + std::to_string(i + 1) + "]";
    if (!object.ok()) {
      return Error{ErrorCode::kHostError, "InDesign の " + label + " がオブジェクトではありません"};
    }
    objects.emplace_back(std::move(object).value(), collection.cache_ptr(), kHost, type, label);
  }
  return objects;
}

// The plain members: `Count`, then `Item(1 … Count)`.
Result<std::vector<Dispatcher>> PlainElements(Dispatcher& collection, const std::string& type) {
  MIRUNE_ASSIGN_OR_RETURN(const int32_t count, collection.GetInt32("Count"));
  std::vector<Dispatcher> objects;
  objects.reserve(static_cast<size_t>(count > 0 ? count : 0));
  for (int32_t i = 1; i <= count; ++i) {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher item, collection.ItemObject(i, type));
    objects.push_back(std::move(item));
  }
  return objects;
}

// Gives up a batched read for the client's life, saying why.
void FallBack(ClientState::Batch& batch, ClientState& state, std::string why) {
  batch = ClientState::Batch::kPlain;
  state.fallbacks.push_back(std::move(why));
}

// Every item of `collection`: batched while that works, else through the plain members.
Result<std::vector<Dispatcher>> Elements(Dispatcher& collection, const std::string& type,
                                         ClientState& state) {
  if (state.elements != ClientState::Batch::kPlain) {
    ListShape shape = ListShape::kEmpty;
    Result<std::vector<Dispatcher>> batched = BatchedElements(collection, type, &shape);
    if (!batched.ok()) {
      if (!IsMissingMember(collection.last_failure())) return batched.error();
      FallBack(state.elements, state,
               "EveryItem().GetElements() が使えないため、Count と Item で読みます（" +
                   batched.message() + "）");
      return PlainElements(collection, type);
    }
    if (state.elements == ClientState::Batch::kVerified) return batched;
    MIRUNE_ASSIGN_OR_RETURN(const int32_t count, collection.GetInt32("Count"));
    if (static_cast<size_t>(count) != batched->size()) {
      FallBack(state.elements, state,
               "InDesign の " + collection.path() + ".EveryItem().GetElements() の要素数 " +
                   std::to_string(batched->size()) + " が Count " + std::to_string(count) +
                   " と異なるため、Count と Item で読みます");
      return PlainElements(collection, type);
    }
    if (shape == ListShape::kCollection) {
      // A collection object costs Count and an Item per element, as the plain members do,
      // and two calls more: the plain members are used from here on.
      FallBack(state.elements, state,
               "EveryItem().GetElements() がコレクションを返すため、呼び出しの少ない Count と "
               "Item で読みます");
      return batched;
    }
    state.elements = ClientState::Batch::kVerified;
    return batched;
  }
  return PlainElements(collection, type);
}

class ClientCharacter : public indesign::Character {
 public:
  ClientCharacter(Dispatcher object, OpenFlag open)
      : object_(std::move(object)), open_(std::move(open)) {}

  Result<std::string> Contents() override {
    MIRUNE_RETURN_IF_ERROR(Closed(open_));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant value, object_.Get("Contents"));
    return ContentsText(value.get(), object_.path() + ".Contents");
  }
  Status SetContents(std::string_view text) override { return Write("Contents", text); }
  Status SetTextContents(std::string_view text) override { return Write("TextContents", text); }

 private:
  Status Write(const char* member, std::string_view text) {
    MIRUNE_RETURN_IF_ERROR(Closed(open_));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant value, UniqueVariant::Text(text));
    return object_.Put(member, value);
  }

  Dispatcher object_;
  OpenFlag open_;
};

// The `Characters` of a frame or story, and its whole text.
class ContainerImpl {
 public:
  ContainerImpl(Dispatcher object, OpenFlag open, StatePtr state)
      : object_(std::move(object)), open_(std::move(open)), state_(std::move(state)) {}

  Result<int32_t> CharacterCount() {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher * characters, Characters());
    return characters->GetInt32("Count");
  }

  Result<std::unique_ptr<indesign::Character>> CharacterItem(int32_t index) {
    MIRUNE_RETURN_IF_ERROR(CheckIndex(index, "Characters"));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher * characters, Characters());
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher character, characters->ItemObject(index, "Character"));
    return std::unique_ptr<indesign::Character>(
        std::make_unique<ClientCharacter>(std::move(character), open_));
  }

  // One call: the container's `Contents` is its whole text, from which the count and the
  // last characters are taken here.
  Result<indesign::TextTail> ReadTail(int32_t max_characters) {
    if (max_characters < 1) {
      return Error{ErrorCode::kInvalidArgument, "末尾の文字は 1 文字以上読みます"};
    }
    MIRUNE_RETURN_IF_ERROR(Closed(open_));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant value, object_.Get("Contents"));
    MIRUNE_ASSIGN_OR_RETURN(std::string text,
                            ContentsText(value.get(), object_.path() + ".Contents"));
    const std::u32string characters = Utf8ToUtf32(text);
    text_ = characters;
    indesign::TextTail tail;
    tail.count = static_cast<int32_t>(characters.size());
    const size_t first = characters.size() > static_cast<size_t>(max_characters)
                             ? characters.size() - max_characters
                             : 0;
    for (size_t k = first; k < characters.size(); ++k) {
      std::string one;
      AppendUtf8(one, characters[k]);
      tail.contents.push_back(std::move(one));
    }
    return tail;
  }

  // `index` counts characters as `Contents` does (code points). Where a character beyond the
  // BMP stands before it, InDesign may count it as two: the character at the index is read
  // and compared with the text before anything is written, and where it differs and
  // `Characters.Count` is the text's length in UTF-16 units, the index is taken in those
  // units (for the client's life). A character that still differs fails the write.
  Status WriteCharacter(int32_t index, std::string_view text, indesign::TextProperty property) {
    MIRUNE_RETURN_IF_ERROR(CheckIndex(index, "Characters"));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher * characters, Characters());
    const char* member =
        property == indesign::TextProperty::kTextContents ? "TextContents" : "Contents";
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant value, UniqueVariant::Text(text));
    const size_t at = static_cast<size_t>(index);
    bool beyond_bmp_before = false;
    if (text_ && at <= text_->size()) {
      for (size_t k = 0; k + 1 < at; ++k) beyond_bmp_before |= (*text_)[k] > 0xFFFF;
    }
    if (!beyond_bmp_before) {
      MIRUNE_ASSIGN_OR_RETURN(Dispatcher character, characters->ItemObject(index, "Character"));
      return character.Put(member, value);
    }
    const std::u32string& whole = *text_;
    std::string expected;
    AppendUtf8(expected, whole[at - 1]);
    int32_t units_before = 0;
    for (size_t k = 0; k + 1 < at; ++k) units_before += whole[k] > 0xFFFF ? 2 : 1;
    int32_t host_index = state_->utf16_characters ? units_before + 1 : index;
    for (int attempt = 0;; ++attempt) {
      MIRUNE_ASSIGN_OR_RETURN(Dispatcher character,
                              characters->ItemObject(host_index, "Character"));
      MIRUNE_ASSIGN_OR_RETURN(UniqueVariant read, character.Get("Contents"));
      MIRUNE_ASSIGN_OR_RETURN(std::string found,
                              ContentsText(read.get(), character.path() + ".Contents"));
      if (found == expected) return character.Put(member, value);
      if (attempt > 0 || state_->utf16_characters) {
        return Error{ErrorCode::kHostError, "InDesign の " + character.path() + " が「" + found +
                                                "」で、書き込むはずの「" + expected +
                                                "」ではないため、ノンブルを書き込みませんでした"};
      }
      MIRUNE_ASSIGN_OR_RETURN(const int32_t count, characters->GetInt32("Count"));
      int32_t units = 0;
      for (char32_t c : whole) units += c > 0xFFFF ? 2 : 1;
      if (count != units) {
        return Error{ErrorCode::kHostError,
                     "InDesign の " + characters->path() + ".Count " + std::to_string(count) +
                         " が文字数 " + std::to_string(whole.size()) + " とも UTF-16 の長さ " +
                         std::to_string(units) + " とも異なるため、ノンブルを書き込みませんでした"};
      }
      state_->utf16_characters = true;
      state_->fallbacks.push_back(
          "Characters が BMP 外の文字を 2 文字と数えるため、文字の番号を UTF-16 で数えます");
      host_index = units_before + 1;
    }
  }

  Dispatcher& object() { return object_; }
  const OpenFlag& open() const { return open_; }
  ClientState& state() { return *state_; }

 private:
  // The `Characters` collection, fetched once per handle.
  Result<Dispatcher*> Characters() {
    MIRUNE_RETURN_IF_ERROR(Closed(open_));
    if (!characters_) {
      MIRUNE_ASSIGN_OR_RETURN(Dispatcher characters, object_.GetObject("Characters", "Characters"));
      characters_.emplace(std::move(characters));
    }
    return &*characters_;
  }

  Dispatcher object_;
  OpenFlag open_;
  StatePtr state_;
  std::optional<Dispatcher> characters_;
  // The text of the latest `Contents` read (ReadTail), to check a write's index against.
  std::optional<std::u32string> text_;
};

template <typename Base>
class ClientContainer : public Base {
 public:
  ClientContainer(Dispatcher object, OpenFlag open, StatePtr state)
      : impl_(std::move(object), std::move(open), std::move(state)) {}
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

using ClientTextFrame = ClientContainer<indesign::TextFrame>;

class ClientStory : public ClientContainer<indesign::Story> {
 public:
  using ClientContainer::ClientContainer;

  Status Export(int32_t format, const std::string& path) override {
    MIRUNE_RETURN_IF_ERROR(Closed(impl_.open()));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant file, UniqueVariant::Text(path));
    const UniqueVariant args[] = {UniqueVariant::Int32(format), std::move(file)};
    return impl_.object().Call("Export", args).status();
  }

  // The story's `Search`: InDesign 2 takes (For, WholeWord, CaseSensitive, ReplacingWith),
  // CS and CS2 six arguments with the change-to text last. The options between are left out,
  // so InDesign takes those of its find/change settings; the result lists the texts changed
  // (an array or a collection object).
  Result<int32_t> Search(std::string_view find_what, std::string_view change_to) override {
    MIRUNE_RETURN_IF_ERROR(Closed(impl_.open()));
    MIRUNE_ASSIGN_OR_RETURN(const int major, impl_.state().Major());
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant find, UniqueVariant::Text(find_what));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant change, UniqueVariant::Text(change_to));
    std::vector<UniqueVariant> args;
    args.push_back(std::move(find));
    const int left_out = major == 2 ? 2 : 4;
    for (int i = 0; i < left_out; ++i) args.push_back(UniqueVariant::Missing());
    args.push_back(std::move(change));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant found, impl_.object().Call("Search", args));
    MIRUNE_ASSIGN_OR_RETURN(ListLength length,
                            ReadListLength(impl_.object(), std::move(found),
                                           impl_.object().path() + ".Search()", "SearchResult"));
    return length.length;
  }
};

class ClientPage : public indesign::Page {
 public:
  ClientPage(Dispatcher object, OpenFlag open, StatePtr state)
      : object_(std::move(object)), open_(std::move(open)), state_(std::move(state)) {}

  Result<std::string> Name() override {
    MIRUNE_RETURN_IF_ERROR(Closed(open_));
    return object_.GetText("Name");
  }
  Result<int32_t> TextFrameCount() override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher frames, Frames());
    return frames.GetInt32("Count");
  }
  Result<std::unique_ptr<indesign::TextFrame>> TextFrameItem(int32_t index) override {
    MIRUNE_RETURN_IF_ERROR(CheckIndex(index, "TextFrames"));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher frames, Frames());
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher frame, frames.ItemObject(index, "TextFrame"));
    return std::unique_ptr<indesign::TextFrame>(
        std::make_unique<ClientTextFrame>(std::move(frame), open_, state_));
  }
  Result<std::vector<std::unique_ptr<indesign::TextFrame>>> TextFrames() override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher frames, Frames());
    MIRUNE_ASSIGN_OR_RETURN(std::vector<Dispatcher> elements,
                            Elements(frames, "TextFrame", *state_));
    std::vector<std::unique_ptr<indesign::TextFrame>> out;
    for (Dispatcher& frame : elements) {
      out.push_back(std::make_unique<ClientTextFrame>(std::move(frame), open_, state_));
    }
    return out;
  }

 private:
  Result<Dispatcher> Frames() {
    MIRUNE_RETURN_IF_ERROR(Closed(open_));
    return object_.GetObject("TextFrames", "TextFrames");
  }

  Dispatcher object_;
  OpenFlag open_;
  StatePtr state_;
};

Status CloseObject(Dispatcher& object, const OpenFlag& open, int32_t save_option) {
  MIRUNE_RETURN_IF_ERROR(Closed(open));
  const UniqueVariant option = UniqueVariant::Int32(save_option);
  MIRUNE_RETURN_IF_ERROR(object.Call("Close", std::span<const UniqueVariant>(&option, 1)).status());
  *open = false;
  return Status::Ok();
}

class ClientDocument : public indesign::Document {
 public:
  ClientDocument(Dispatcher object, StatePtr state)
      : object_(std::move(object)), open_(std::make_shared<bool>(true)), state_(std::move(state)) {}

  Result<std::string> FullName() override { return Text("FullName"); }
  Result<std::string> Name() override { return Text("Name"); }
  Result<bool> Modified() override {
    MIRUNE_RETURN_IF_ERROR(Closed(open_));
    return object_.GetBool("Modified");
  }

  Result<int32_t> PageCount() override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher pages, Collection("Pages"));
    return pages.GetInt32("Count");
  }
  Result<std::unique_ptr<indesign::Page>> PageItem(int32_t index) override {
    MIRUNE_RETURN_IF_ERROR(CheckIndex(index, "Pages"));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher pages, Collection("Pages"));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher page, pages.ItemObject(index, "Page"));
    return std::unique_ptr<indesign::Page>(
        std::make_unique<ClientPage>(std::move(page), open_, state_));
  }
  Result<std::vector<std::unique_ptr<indesign::Page>>> Pages() override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher pages, Collection("Pages"));
    MIRUNE_ASSIGN_OR_RETURN(std::vector<Dispatcher> elements, Elements(pages, "Page", *state_));
    std::vector<std::unique_ptr<indesign::Page>> out;
    for (Dispatcher& page : elements) {
      out.push_back(std::make_unique<ClientPage>(std::move(page), open_, state_));
    }
    return out;
  }
  // Every page's name: `Pages.EveryItem().Name` while that works, else `Name` of each
  // `Pages.Item(i)`.
  Result<std::vector<std::string>> PageNames() override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher pages, Collection("Pages"));
    ClientState& state = *state_;
    if (state.names != ClientState::Batch::kPlain) {
      Result<std::vector<std::string>> batched = BatchedNames(pages);
      if (!batched.ok()) {
        if (!IsMissingMember(pages.last_failure())) return batched.error();
        FallBack(state.names, state,
                 "Pages.EveryItem().Name が使えないため、ページごとに Name を読みます（" +
                     batched.message() + "）");
      } else if (state.names == ClientState::Batch::kVerified) {
        return batched;
      } else {
        MIRUNE_ASSIGN_OR_RETURN(const int32_t count, pages.GetInt32("Count"));
        if (static_cast<size_t>(count) == batched->size()) {
          state.names = ClientState::Batch::kVerified;
          return batched;
        }
        FallBack(state.names, state,
                 "InDesign の Pages.EveryItem().Name の個数 " + std::to_string(batched->size()) +
                     " が Count " + std::to_string(count) +
                     " と異なるため、ページごとに Name を読みます");
      }
    }
    MIRUNE_ASSIGN_OR_RETURN(const int32_t count, pages.GetInt32("Count"));
    std::vector<std::string> names;
    for (int32_t i = 1; i <= count; ++i) {
      MIRUNE_ASSIGN_OR_RETURN(Dispatcher page, pages.ItemObject(i, "Page"));
      MIRUNE_ASSIGN_OR_RETURN(std::string name, page.GetText("Name"));
      names.push_back(std::move(name));
    }
    return names;
  }

  Result<int32_t> StoryCount() override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher stories, Collection("Stories"));
    return stories.GetInt32("Count");
  }
  Result<std::unique_ptr<indesign::Story>> StoryItem(int32_t index) override {
    MIRUNE_RETURN_IF_ERROR(CheckIndex(index, "Stories"));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher stories, Collection("Stories"));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher story, stories.ItemObject(index, "Story"));
    return std::unique_ptr<indesign::Story>(
        std::make_unique<ClientStory>(std::move(story), open_, state_));
  }

  Status Close(int32_t save_option) override { return CloseObject(object_, open_, save_option); }

  Status SaveAs(const std::string& path) {
    MIRUNE_RETURN_IF_ERROR(Closed(open_));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant file, UniqueVariant::Text(path));
    return object_.Call("Save", std::span<const UniqueVariant>(&file, 1)).status();
  }

 private:
  Result<std::string> Text(const char* member) {
    MIRUNE_RETURN_IF_ERROR(Closed(open_));
    return object_.GetText(member);
  }
  Result<Dispatcher> Collection(const char* member) {
    MIRUNE_RETURN_IF_ERROR(Closed(open_));
    return object_.GetObject(member, member);
  }
  // `EveryItem().Name`: a list of texts in either shape.
  Result<std::vector<std::string>> BatchedNames(Dispatcher& pages) {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher every, pages.CallObject("EveryItem", {}, "Pages.EveryItem"));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant value, every.Get("Name"));
    MIRUNE_ASSIGN_OR_RETURN(
        ListValue list, ReadListValue(every, std::move(value), every.path() + ".Name", "Names"));
    std::vector<std::string> names;
    for (const UniqueVariant& item : list.items) {
      Result<std::string> name = VariantToUtf8(item.get());
      if (!name.ok()) {
        return Error{ErrorCode::kHostError,
                     "InDesign の " + every.path() + ".Name の値が文字列ではありません"};
      }
      names.push_back(std::move(name).value());
    }
    return names;
  }

  Dispatcher object_;
  OpenFlag open_;
  StatePtr state_;
};

class ClientBook : public indesign::Book {
 public:
  explicit ClientBook(Dispatcher object)
      : object_(std::move(object)), open_(std::make_shared<bool>(true)) {}

  Result<std::string> FullName() override { return Text("FullName"); }
  Result<std::string> Name() override { return Text("Name"); }
  Result<bool> Modified() override {
    MIRUNE_RETURN_IF_ERROR(Closed(open_));
    return object_.GetBool("Modified");
  }
  Result<int32_t> ContentCount() override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher contents, Contents());
    return contents.GetInt32("Count");
  }
  Result<std::string> ContentFullName(int32_t index) override {
    MIRUNE_RETURN_IF_ERROR(CheckIndex(index, "BookContents"));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher contents, Contents());
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher content, contents.ItemObject(index, "BookContent"));
    return content.GetText("FullName");
  }
  Status Close(int32_t save_option) override { return CloseObject(object_, open_, save_option); }

 private:
  Result<std::string> Text(const char* member) {
    MIRUNE_RETURN_IF_ERROR(Closed(open_));
    return object_.GetText(member);
  }
  Result<Dispatcher> Contents() {
    MIRUNE_RETURN_IF_ERROR(Closed(open_));
    return object_.GetObject("BookContents", "BookContents");
  }

  Dispatcher object_;
  OpenFlag open_;
};

// The name of an object's type (IDispatch::GetTypeInfo, then the type's documentation name:
// "Book", "Document"); empty when the object gives no type information.
std::string TypeName(IDispatch* object) {
  ITypeInfo* info = nullptr;
  if (FAILED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info)) || info == nullptr) return {};
  BSTR name = nullptr;
  const HRESULT hr = info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
  info->Release();
  if (FAILED(hr)) return {};
  UniqueBstr owned(name);
  return owned.ToUtf8();
}

// Whether what `Open(path)` returned is a book: by its type's name where InDesign gives it;
// else by the name the launch checked (".indb" a book, ".indd" a document); else by the
// member `BookContents` resolving, which only a book has unless the host resolves names for
// every object alike.
bool IsBook(IDispatch* object, const std::string& path) {
  const std::string type = TypeName(object);
  if (type == "Book") return true;
  if (type == "Document") return false;
  auto ends_with = [&path](const char* tail) {
    return path.size() >= 4 && path.compare(path.size() - 4, 4, tail) == 0;
  };
  if (ends_with("indb")) return true;
  if (ends_with("indd")) return false;
  wchar_t name[] = L"BookContents";
  LPOLESTR names[] = {name};
  DISPID id = DISPID_UNKNOWN;
  return SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
}

class ClientApplication : public indesign::Application {
 public:
  explicit ClientApplication(ComPtr<IDispatch> application)
      : app_(std::move(application), std::make_shared<DispIdCache>(), kHost, "Application", ""),
        state_(std::make_shared<ClientState>()) {
    state_->application.emplace(app_);
  }

  const std::vector<std::string>& fallbacks() const { return state_->fallbacks; }

  Result<std::optional<int32_t>> SuppressDialogs() {
    Result<Dispatcher> prefs = app_.GetObject("ScriptPreferences", "ScriptPreferences");
    if (!prefs.ok()) {
      if (IsMissingMember(app_.last_failure())) return std::optional<int32_t>();
      return prefs.error();
    }
    Result<int32_t> level = prefs->GetInt32("UserInteractionLevel");
    if (!level.ok()) {
      if (IsMissingMember(prefs->last_failure())) return std::optional<int32_t>();
      return level.error();
    }
    if (*level != kNeverInteract) {
      MIRUNE_RETURN_IF_ERROR(
          prefs->Put("UserInteractionLevel", UniqueVariant::Int32(kNeverInteract)));
    }
    return std::optional<int32_t>(*level);
  }
  Status RestoreDialogs(int32_t level) {
    if (level == kNeverInteract) return Status::Ok();
    return PutOf("ScriptPreferences", "UserInteractionLevel", UniqueVariant::Int32(level));
  }

  Result<int32_t> BookCount() override { return Count("Books"); }
  Result<std::unique_ptr<indesign::Book>> BookItem(int32_t index) override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher book, Item("Books", index, "Book"));
    return std::unique_ptr<indesign::Book>(std::make_unique<ClientBook>(std::move(book)));
  }
  Result<int32_t> DocumentCount() override { return Count("Documents"); }
  Result<std::unique_ptr<indesign::Document>> DocumentItem(int32_t index) override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher document, Item("Documents", index, "Document"));
    return std::unique_ptr<indesign::Document>(
        std::make_unique<ClientDocument>(std::move(document), state_));
  }

  Result<indesign::OpenedItem> Open(const std::string& path) override {
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant file, UniqueVariant::Text(path));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant value,
                            app_.Call("Open", std::span<const UniqueVariant>(&file, 1)));
    Result<ComPtr<IDispatch>> object = VariantToDispatch(value.get());
    if (!object.ok()) {
      return Error{ErrorCode::kHostError,
                   "InDesign の Open(\"" + path + "\") が文書もブックも返しませんでした"};
    }
    indesign::OpenedItem opened;
    const bool book = IsBook(object->Get(), path);
    // Messages name what Open returned by its kind.
    const char* kind = book ? "Book" : "Document";
    Dispatcher item(std::move(object).value(), app_.cache_ptr(), kHost, kind, kind);
    if (book) {
      opened.book = std::make_unique<ClientBook>(std::move(item));
    } else {
      opened.document = std::make_unique<ClientDocument>(std::move(item), state_);
    }
    return opened;
  }

  Result<std::unique_ptr<indesign::Document>> ActiveDocument() override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher document, app_.GetObject("ActiveDocument", "Document"));
    return std::unique_ptr<indesign::Document>(
        std::make_unique<ClientDocument>(std::move(document), state_));
  }

  Result<std::string> Version() override {
    MIRUNE_ASSIGN_OR_RETURN(std::string version, app_.GetText("Version"));
    state_->major = indesign::MajorVersion(version);
    return version;
  }

  Result<int32_t> TaggedTextCharacterSet() override {
    return GetInt32Of("TaggedTextExportPreferences", "CharacterSet");
  }
  Status SetTaggedTextCharacterSet(int32_t character_set) override {
    return PutOf("TaggedTextExportPreferences", "CharacterSet",
                 UniqueVariant::Int32(character_set));
  }
  Result<int32_t> TaggedTextTagForm() override {
    return GetInt32Of("TaggedTextExportPreferences", "TagForm");
  }
  Status SetTaggedTextTagForm(int32_t tag_form) override {
    return PutOf("TaggedTextExportPreferences", "TagForm", UniqueVariant::Int32(tag_form));
  }

  Result<std::string> FindWhat() override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher prefs, Prefs("FindTextPreferences"));
    return prefs.GetText("FindWhat");
  }
  Status SetFindWhat(std::string_view text) override {
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant value, UniqueVariant::Text(text));
    return PutOf("FindTextPreferences", "FindWhat", std::move(value));
  }
  Result<std::string> ChangeTo() override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher prefs, Prefs("ChangeTextPreferences"));
    return prefs.GetText("ChangeTo");
  }
  Status SetChangeTo(std::string_view text) override {
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant value, UniqueVariant::Text(text));
    return PutOf("ChangeTextPreferences", "ChangeTo", std::move(value));
  }

  Result<indesign::ChangeFormatting> GetChangeFormatting() override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher prefs, Prefs("ChangeTextPreferences"));
    indesign::ChangeFormatting formatting;
    MIRUNE_ASSIGN_OR_RETURN(formatting.applied_character_style,
                            NameOf(prefs, "AppliedCharacterStyle"));
    MIRUNE_ASSIGN_OR_RETURN(formatting.fill_color, NameOf(prefs, "FillColor"));
    return formatting;
  }
  // Swatches and styles are given by name; an empty name clears the setting (NOTHING).
  Status SetChangeFormatting(const indesign::ChangeFormatting& formatting) override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher prefs, Prefs("ChangeTextPreferences"));
    MIRUNE_RETURN_IF_ERROR(
        PutName(prefs, "AppliedCharacterStyle", formatting.applied_character_style));
    return PutName(prefs, "FillColor", formatting.fill_color);
  }
  Result<indesign::FindOptions> GetFindOptions() override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher options, Prefs("FindChangeTextOptions"));
    indesign::FindOptions out;
    MIRUNE_ASSIGN_OR_RETURN(out.case_sensitive, options.GetBool("CaseSensitive"));
    MIRUNE_ASSIGN_OR_RETURN(out.whole_word, options.GetBool("WholeWord"));
    return out;
  }
  Status SetFindOptions(const indesign::FindOptions& options) override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher prefs, Prefs("FindChangeTextOptions"));
    MIRUNE_RETURN_IF_ERROR(prefs.Put("CaseSensitive", UniqueVariant::Bool(options.case_sensitive)));
    return prefs.Put("WholeWord", UniqueVariant::Bool(options.whole_word));
  }

  // `ChangeText()` returns the texts it changed: their number is the count.
  Result<int32_t> ChangeText() override {
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant changed, app_.Call("ChangeText"));
    MIRUNE_ASSIGN_OR_RETURN(ListLength length, ReadListLength(app_, std::move(changed),
                                                              "ChangeText()", "ChangeResult"));
    return length.length;
  }

 private:
  Result<int32_t> Count(const char* collection) {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher items, app_.GetObject(collection, collection));
    return items.GetInt32("Count");
  }
  Result<Dispatcher> Item(const char* collection, int32_t index, std::string type) {
    MIRUNE_RETURN_IF_ERROR(CheckIndex(index, collection));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher items, app_.GetObject(collection, collection));
    return items.ItemObject(index, std::move(type));
  }
  Result<Dispatcher> Prefs(const char* member) { return app_.GetObject(member, member); }
  Result<int32_t> GetInt32Of(const char* object, const char* member) {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher prefs, Prefs(object));
    return prefs.GetInt32(member);
  }
  Status PutOf(const char* object, const char* member, UniqueVariant value) {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher prefs, Prefs(object));
    return prefs.Put(member, value);
  }
  // A swatch or style setting as a name: text as it is, an object by its `Name`, NOTHING as "".
  Result<std::string> NameOf(Dispatcher& prefs, const char* member) {
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant value, prefs.Get(member));
    if (value.type() == VT_DISPATCH) {
      MIRUNE_ASSIGN_OR_RETURN(Dispatcher object, prefs.GetObject(member, member));
      return object.GetText("Name");
    }
    if (value.type() == VT_BSTR) return VariantToUtf8(value.get());
    return std::string();
  }
  Status PutName(Dispatcher& prefs, const char* member, const std::string& name) {
    if (name.empty()) return prefs.Put(member, UniqueVariant::Int32(kNothing));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant value, UniqueVariant::Text(name));
    return prefs.Put(member, value);
  }

  Dispatcher app_;
  StatePtr state_;
};

}  // namespace

std::unique_ptr<indesign::Application> MakeInDesignClient(ComPtr<IDispatch> application) {
  return std::make_unique<ClientApplication>(std::move(application));
}

Result<std::optional<int32_t>> SuppressInDesignDialogs(indesign::Application& client) {
  auto* ours = dynamic_cast<ClientApplication*>(&client);
  if (ours == nullptr) return std::optional<int32_t>();
  return ours->SuppressDialogs();
}

Status RestoreInDesignDialogs(indesign::Application& client, int32_t level) {
  auto* ours = dynamic_cast<ClientApplication*>(&client);
  if (ours == nullptr) return Status::Ok();
  return ours->RestoreDialogs(level);
}

std::vector<std::string> InDesignClientFallbacks(const indesign::Application& client) {
  const auto* ours = dynamic_cast<const ClientApplication*>(&client);
  return ours == nullptr ? std::vector<std::string>{} : ours->fallbacks();
}

Result<std::unique_ptr<indesign::Application>> ConnectInDesign(std::string_view prog_id) {
  ComPtr<IDispatch> application;
  if (!prog_id.empty() && prog_id.front() == '{') {
    // A class in braces: a server running under a class of its own (tests).
    CLSID clsid{};
    const std::u16string wide = Utf8ToUtf16(prog_id);
    if (FAILED(CLSIDFromString(reinterpret_cast<LPCOLESTR>(wide.c_str()), &clsid))) {
      return Error{ErrorCode::kInvalidArgument,
                   "InDesign のクラス「" + std::string(prog_id) + "」が読めません"};
    }
    MIRUNE_ASSIGN_OR_RETURN(application, CreateServer(clsid, kHost));
  } else {
    MIRUNE_ASSIGN_OR_RETURN(application, CreateServer(prog_id, kHost));
  }
  return MakeInDesignClient(std::move(application));
}

Status SaveDocumentAs(indesign::Document& document, const std::string& path) {
  auto* client = dynamic_cast<ClientDocument*>(&document);
  if (client == nullptr) {
    return Status(ErrorCode::kInvalidArgument, "InDesign の文書ではないため別名で保存できません");
  }
  return client->SaveAs(path);
}

}  // namespace mirune::com
