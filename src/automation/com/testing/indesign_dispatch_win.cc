#include "automation/com/testing/indesign_dispatch_win.h"

#include <limits>
#include <utility>
#include <vector>

#include "automation/com/com_types_win.h"
#include "automation/com/testing/table_dispatch_win.h"
#include "automation/com/variant_list_win.h"
#include "base/utf.h"

namespace mirune::com {

using testing::TableCall;
using testing::TableCounters;
using testing::TableDispatch;

namespace {

// NothingEnum.NOTHING: what clears a swatch or style setting.
constexpr int32_t kNothing = 1851876449;
// UserInteractionLevels.NEVER_INTERACT.
constexpr int32_t kNeverInteract = 1699640946;

using StatePtr = std::shared_ptr<InDesignDispatchState>;
// A member's body: fills `result` or returns a failure.
using Body = std::function<HRESULT(TableCall& call, VARIANT* result, EXCEPINFO* excep)>;

HRESULT PutText(VARIANT* result, const std::string& utf8) {
  if (result == nullptr) return S_OK;
  Result<UniqueVariant> text = UniqueVariant::Text(utf8);
  if (!text.ok()) return E_OUTOFMEMORY;
  *result = *text->get_mut();
  *text->get_mut() = VARIANT{};  // handed over
  return S_OK;
}

HRESULT PutInt(VARIANT* result, int32_t value) {
  if (result != nullptr) {
    result->vt = VT_I4;
    result->lVal = value;
  }
  return S_OK;
}

HRESULT PutBool(VARIANT* result, bool value) {
  if (result != nullptr) {
    result->vt = VT_BOOL;
    result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  }
  return S_OK;
}

HRESULT PutObject(VARIANT* result, ComPtr<IDispatch> object) {
  if (result != nullptr) {
    result->vt = VT_DISPATCH;
    result->pdispVal = object.Detach();
  }
  return S_OK;
}

HRESULT PutList(VARIANT* result, const std::vector<UniqueVariant>& values) {
  Result<UniqueVariant> list = ListToVariant(values);
  if (!list.ok()) return E_OUTOFMEMORY;
  if (result != nullptr) {
    *result = *list->get_mut();
    *list->get_mut() = VARIANT{};
  }
  return S_OK;
}

template <typename T>
HRESULT Check(const Result<T>& value, EXCEPINFO* excep) {
  return value.ok() ? S_OK : RaiseStatus(value.status(), excep);
}

bool IsPut(const TableCall& call) { return (call.flags & DISPATCH_PROPERTYPUT) != 0; }

// The value written by a property put.
const VARIANT* PutValue(const TableCall& call) {
  auto it = call.named.find("=");
  return it == call.named.end() ? nullptr : &it->second.get();
}

Result<int32_t> IntArg(const TableCall& call, size_t index) {
  if (index >= call.args.size()) return Error{ErrorCode::kInvalidArgument, "引数が足りません"};
  return VariantToInt32(call.args[index].get());
}

Result<std::string> TextArg(const TableCall& call, size_t index) {
  if (index >= call.args.size()) return Error{ErrorCode::kInvalidArgument, "引数が足りません"};
  return VariantToUtf8(call.args[index].get());
}

// An object of the adapter: a TableDispatch whose members count their calls and pass the
// state's fault hook first.
class ObjectBuilder {
 public:
  explicit ObjectBuilder(StatePtr state)
      : state_(std::move(state)), object_(TableDispatch::Make(std::make_shared<TableCounters>())) {}

  ObjectBuilder& Add(const std::string& name, Body body) {
    if (state_->behaviour.without.count(name) != 0) return *this;
    object_->Add(name,
                 [state = state_, body = std::move(body)](TableCall& call, VARIANT* result,
                                                          EXCEPINFO* excep) -> HRESULT {
                   const int64_t number = ++state->calls;
                   if (state->before_call) {
                     const HRESULT hr = state->before_call(number, excep);
                     if (FAILED(hr)) return hr;
                   }
                   return body(call, result, excep);
                 });
    return *this;
  }

  // A member outside the count and the fault hook.
  ObjectBuilder& AddPlain(const std::string& name, testing::TableHandler handler) {
    object_->Add(name, std::move(handler));
    return *this;
  }

  ComPtr<IDispatch> Build() { return ComPtr<IDispatch>(object_.Get()); }

 private:
  StatePtr state_;
  ComPtr<TableDispatch> object_;
};

// A list result in the behaviour's shape: a SAFEARRAY, or a collection object whose Count and
// Item(1 … Count) are member calls of their own.
HRESULT PutListOf(const StatePtr& state, VARIANT* result, std::vector<UniqueVariant> values) {
  if (!state->behaviour.lists_as_objects) return PutList(result, values);
  auto items = std::make_shared<std::vector<UniqueVariant>>(std::move(values));
  return PutObject(
      result, ObjectBuilder(state)
                  .Add("Count",
                       [items](TableCall&, VARIANT* out, EXCEPINFO*) {
                         return PutInt(out, static_cast<int32_t>(items->size()));
                       })
                  .Add("Item",
                       [items](TableCall& call, VARIANT* out, EXCEPINFO* excep) -> HRESULT {
                         Result<int32_t> index = IntArg(call, 0);
                         if (!index.ok()) return DISP_E_TYPEMISMATCH;
                         if (*index < 1 || static_cast<size_t>(*index) > items->size()) {
                           return RaiseStatus(
                               Status(ErrorCode::kNotFound,
                                      "項目 " + std::to_string(*index) + " はありません"),
                               excep);
                         }
                         if (out == nullptr) return S_OK;
                         return VariantCopy(out, const_cast<VARIANT*>(&(*items)[*index - 1].get()));
                       })
                  .Build());
}

// What Search and ChangeText give back: the found text once per change, as a list.
HRESULT PutFoundTexts(const StatePtr& state, VARIANT* result, const std::string& text,
                      int32_t count) {
  std::vector<UniqueVariant> found;
  for (int32_t i = 0; i < count; ++i) {
    Result<UniqueVariant> item = UniqueVariant::Text(text);
    if (!item.ok()) return E_OUTOFMEMORY;
    found.push_back(std::move(item).value());
  }
  return PutListOf(state, result, std::move(found));
}

// A collection: `count` and `item(n)` (an object for VARIANT), with EveryItem() offering
// GetElements() and, when `names` is set, Name.
struct CollectionParts {
  std::function<Result<int32_t>()> count;
  std::function<Result<ComPtr<IDispatch>>(int32_t index)> item;
  std::function<Result<std::vector<ComPtr<IDispatch>>>()> elements;  // unset: item by item
  std::function<Result<std::vector<std::string>>()> names;
};

ComPtr<IDispatch> MakeCollection(const StatePtr& state, std::shared_ptr<CollectionParts> parts) {
  auto elements = [parts]() -> Result<std::vector<ComPtr<IDispatch>>> {
    if (parts->elements) return parts->elements();
    MIRUNE_ASSIGN_OR_RETURN(const int32_t count, parts->count());
    std::vector<ComPtr<IDispatch>> out;
    for (int32_t i = 1; i <= count; ++i) {
      MIRUNE_ASSIGN_OR_RETURN(ComPtr<IDispatch> item, parts->item(i));
      out.push_back(std::move(item));
    }
    return out;
  };
  return ObjectBuilder(state)
      .Add("Count",
           [parts](TableCall&, VARIANT* result, EXCEPINFO* excep) {
             Result<int32_t> count = parts->count();
             if (!count.ok()) return RaiseStatus(count.status(), excep);
             return PutInt(result, *count);
           })
      .Add("Item",
           [parts](TableCall& call, VARIANT* result, EXCEPINFO* excep) {
             Result<int32_t> index = IntArg(call, 0);
             if (!index.ok()) return DISP_E_TYPEMISMATCH;
             Result<ComPtr<IDispatch>> item = parts->item(*index);
             if (!item.ok()) return RaiseStatus(item.status(), excep);
             return PutObject(result, std::move(item).value());
           })
      .Add("EveryItem",
           [state, parts, elements](TableCall&, VARIANT* result, EXCEPINFO*) {
             ObjectBuilder every(state);
             every.Add("GetElements",
                       [state, elements](TableCall&, VARIANT* out, EXCEPINFO* excep) {
                         Result<std::vector<ComPtr<IDispatch>>> items = elements();
                         if (!items.ok()) return RaiseStatus(items.status(), excep);
                         std::vector<UniqueVariant> values;
                         for (const ComPtr<IDispatch>& item : *items) {
                           values.push_back(UniqueVariant::Dispatch(item.Get()));
                         }
                         return PutListOf(state, out, std::move(values));
                       });
             if (parts->names) {
               every.Add("Name", [state, parts](TableCall&, VARIANT* out, EXCEPINFO* excep) {
                 Result<std::vector<std::string>> names = parts->names();
                 if (!names.ok()) return RaiseStatus(names.status(), excep);
                 std::vector<UniqueVariant> values;
                 for (const std::string& name : *names) {
                   Result<UniqueVariant> text = UniqueVariant::Text(name);
                   if (!text.ok()) return E_OUTOFMEMORY;
                   values.push_back(std::move(text).value());
                 }
                 return PutListOf(state, out, std::move(values));
               });
             }
             return PutObject(result, every.Build());
           })
      .Build();
}

// A read-only text property.
template <typename Handle>
Body TextOf(std::shared_ptr<Handle> handle, Result<std::string> (Handle::*member)()) {
  return [handle, member](TableCall&, VARIANT* result, EXCEPINFO* excep) {
    Result<std::string> text = ((*handle).*member)();
    if (!text.ok()) return RaiseStatus(text.status(), excep);
    return PutText(result, *text);
  };
}

template <typename Handle>
Body BoolOf(std::shared_ptr<Handle> handle, Result<bool> (Handle::*member)()) {
  return [handle, member](TableCall&, VARIANT* result, EXCEPINFO* excep) {
    Result<bool> value = ((*handle).*member)();
    if (!value.ok()) return RaiseStatus(value.status(), excep);
    return PutBool(result, *value);
  };
}

ComPtr<IDispatch> MakeCharacter(const StatePtr& state,
                                std::shared_ptr<indesign::Character> character) {
  auto write = [character](bool text_contents) -> Body {
    return [character, text_contents](TableCall& call, VARIANT*, EXCEPINFO* excep) -> HRESULT {
      const VARIANT* value = PutValue(call);
      if (value == nullptr) return DISP_E_MEMBERNOTFOUND;
      Result<std::string> text = VariantToUtf8(*value);
      if (!text.ok()) return DISP_E_TYPEMISMATCH;
      const Status written =
          text_contents ? character->SetTextContents(*text) : character->SetContents(*text);
      return written.ok() ? S_OK : RaiseStatus(written, excep);
    };
  };
  Body contents_put = write(false);
  return ObjectBuilder(state)
      .Add("Contents",
           [character, contents_put](TableCall& call, VARIANT* result, EXCEPINFO* excep) {
             if (IsPut(call)) return contents_put(call, result, excep);
             Result<std::string> text = character->Contents();
             if (!text.ok()) return RaiseStatus(text.status(), excep);
             return PutText(result, *text);
           })
      .Add("TextContents", write(true))
      .Build();
}

// What frames and stories share: Contents (the whole text) and Characters.
template <typename Container>
ObjectBuilder ContainerObject(const StatePtr& state, std::shared_ptr<Container> container) {
  auto parts = std::make_shared<CollectionParts>();
  // The container's characters as code points (for counting in UTF-16 units).
  auto code_points = [container]() -> Result<std::u32string> {
    MIRUNE_ASSIGN_OR_RETURN(indesign::TextTail tail,
                            container->ReadTail(std::numeric_limits<int32_t>::max()));
    std::string text;
    for (const std::string& c : tail.contents) text += c;
    return Utf8ToUtf32(text);
  };
  parts->count = [state, container, code_points]() -> Result<int32_t> {
    if (!state->behaviour.count_utf16) return container->CharacterCount();
    MIRUNE_ASSIGN_OR_RETURN(const std::u32string text, code_points());
    int32_t units = 0;
    for (char32_t c : text) units += c > 0xFFFF ? 2 : 1;
    return units;
  };
  parts->item = [state, container, code_points](int32_t index) -> Result<ComPtr<IDispatch>> {
    int32_t point = index;
    if (state->behaviour.count_utf16 && index >= 1) {
      MIRUNE_ASSIGN_OR_RETURN(const std::u32string text, code_points());
      int32_t unit = 0;
      point = 0;
      for (size_t k = 0; k < text.size(); ++k) {
        unit += text[k] > 0xFFFF ? 2 : 1;
        if (unit >= index) {
          point = static_cast<int32_t>(k + 1);
          break;
        }
      }
      if (point == 0) point = static_cast<int32_t>(text.size()) + 1;  // out of range
    }
    MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<indesign::Character> character,
                            container->CharacterItem(point));
    return MakeCharacter(state, std::move(character));
  };
  ObjectBuilder object(state);
  object
      .Add("Contents",
           [container](TableCall& call, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
             if (IsPut(call)) return DISP_E_MEMBERNOTFOUND;
             Result<indesign::TextTail> tail =
                 container->ReadTail(std::numeric_limits<int32_t>::max());
             if (!tail.ok()) return RaiseStatus(tail.status(), excep);
             std::string text;
             for (const std::string& c : tail->contents) text += c;
             return PutText(result, text);
           })
      .Add("Characters", [state, parts](TableCall&, VARIANT* result, EXCEPINFO*) {
        return PutObject(result, MakeCollection(state, parts));
      });
  return object;
}

ComPtr<IDispatch> MakeStory(const StatePtr& state, std::shared_ptr<indesign::Story> story) {
  ObjectBuilder object = ContainerObject(state, story);
  object
      .Add("Export",
           [story](TableCall& call, VARIANT*, EXCEPINFO* excep) -> HRESULT {
             Result<int32_t> format = IntArg(call, 0);
             Result<std::string> path = TextArg(call, 1);
             if (!format.ok() || !path.ok()) return DISP_E_TYPEMISMATCH;
             const Status exported = story->Export(*format, *path);
             return exported.ok() ? S_OK : RaiseStatus(exported, excep);
           })
      // InDesign 2: Search(For, WholeWord, CaseSensitive, ReplacingWith); CS and CS2: six
      // arguments, the change-to text last. Another number of arguments is refused, as a
      // typed method refuses it.
      .Add("Search", [state, story](TableCall& call, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
        Result<std::string> version = state->application->Version();
        if (!version.ok()) return RaiseStatus(version.status(), excep);
        const size_t expected = indesign::MajorVersion(*version) == 2 ? 4 : 6;
        if (call.args.size() != expected) return DISP_E_BADPARAMCOUNT;
        Result<std::string> find = TextArg(call, 0);
        if (!find.ok()) return DISP_E_TYPEMISMATCH;
        std::string change;
        if (call.args[expected - 1].type() != VT_ERROR) {
          Result<std::string> text = TextArg(call, expected - 1);
          if (!text.ok()) return DISP_E_TYPEMISMATCH;
          change = *text;
        }
        Result<int32_t> changed = story->Search(*find, change);
        if (!changed.ok()) return RaiseStatus(changed.status(), excep);
        return PutFoundTexts(state, result, *find, *changed);
      });
  return object.Build();
}

ComPtr<IDispatch> MakeTextFrame(const StatePtr& state, std::shared_ptr<indesign::TextFrame> frame) {
  return ContainerObject(state, frame).Build();
}

ComPtr<IDispatch> MakePage(const StatePtr& state, std::shared_ptr<indesign::Page> page) {
  auto parts = std::make_shared<CollectionParts>();
  parts->count = [page] { return page->TextFrameCount(); };
  parts->item = [state, page](int32_t index) -> Result<ComPtr<IDispatch>> {
    MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<indesign::TextFrame> frame, page->TextFrameItem(index));
    return MakeTextFrame(state, std::move(frame));
  };
  parts->elements = [state, page]() -> Result<std::vector<ComPtr<IDispatch>>> {
    MIRUNE_ASSIGN_OR_RETURN(std::vector<std::unique_ptr<indesign::TextFrame>> frames,
                            page->TextFrames());
    std::vector<ComPtr<IDispatch>> out;
    for (auto& frame : frames) out.push_back(MakeTextFrame(state, std::move(frame)));
    return out;
  };
  return ObjectBuilder(state)
      .Add("Name", TextOf(page, &indesign::Page::Name))
      .Add("TextFrames",
           [state, parts](TableCall&, VARIANT* result, EXCEPINFO*) {
             return PutObject(result, MakeCollection(state, parts));
           })
      .Build();
}

Body CloseOf(std::function<Status(int32_t)> close) {
  return [close](TableCall& call, VARIANT*, EXCEPINFO* excep) -> HRESULT {
    Result<int32_t> option = IntArg(call, 0);
    if (!option.ok()) return DISP_E_TYPEMISMATCH;
    const Status closed = close(*option);
    return closed.ok() ? S_OK : RaiseStatus(closed, excep);
  };
}

ComPtr<IDispatch> MakeDocument(const StatePtr& state,
                               std::shared_ptr<indesign::Document> document) {
  auto pages = std::make_shared<CollectionParts>();
  pages->count = [document] { return document->PageCount(); };
  pages->item = [state, document](int32_t index) -> Result<ComPtr<IDispatch>> {
    MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<indesign::Page> page, document->PageItem(index));
    return MakePage(state, std::move(page));
  };
  pages->elements = [state, document]() -> Result<std::vector<ComPtr<IDispatch>>> {
    MIRUNE_ASSIGN_OR_RETURN(std::vector<std::unique_ptr<indesign::Page>> all, document->Pages());
    std::vector<ComPtr<IDispatch>> out;
    for (auto& page : all) out.push_back(MakePage(state, std::move(page)));
    return out;
  };
  pages->names = [document] { return document->PageNames(); };
  auto stories = std::make_shared<CollectionParts>();
  stories->count = [document] { return document->StoryCount(); };
  stories->item = [state, document](int32_t index) -> Result<ComPtr<IDispatch>> {
    MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<indesign::Story> story, document->StoryItem(index));
    return MakeStory(state, std::move(story));
  };
  ObjectBuilder object(state);
  if (state->behaviour.documents_resolve_book_names) {
    object.Add("BookContents",
               [](TableCall&, VARIANT*, EXCEPINFO*) -> HRESULT { return DISP_E_MEMBERNOTFOUND; });
  }
  return object.Add("FullName", TextOf(document, &indesign::Document::FullName))
      .Add("Name", TextOf(document, &indesign::Document::Name))
      .Add("Modified", BoolOf(document, &indesign::Document::Modified))
      .Add("Pages",
           [state, pages](TableCall&, VARIANT* result, EXCEPINFO*) {
             return PutObject(result, MakeCollection(state, pages));
           })
      .Add("Stories",
           [state, stories](TableCall&, VARIANT* result, EXCEPINFO*) {
             return PutObject(result, MakeCollection(state, stories));
           })
      .Add("Close", CloseOf([document](int32_t option) { return document->Close(option); }))
      .Add("Save",
           [state, document](TableCall& call, VARIANT*, EXCEPINFO* excep) -> HRESULT {
             Result<std::string> path = TextArg(call, 0);
             if (!path.ok()) return DISP_E_TYPEMISMATCH;
             if (!state->save_as) {
               return RaiseStatus(
                   Status(ErrorCode::kUnsupported, "この試験用 InDesign は文書を保存できません"),
                   excep);
             }
             const Status saved = state->save_as(*document, *path);
             return saved.ok() ? S_OK : RaiseStatus(saved, excep);
           })
      .Build();
}

ComPtr<IDispatch> MakeBook(const StatePtr& state, std::shared_ptr<indesign::Book> book) {
  auto contents = std::make_shared<CollectionParts>();
  contents->count = [book] { return book->ContentCount(); };
  contents->item = [state, book](int32_t index) -> Result<ComPtr<IDispatch>> {
    MIRUNE_ASSIGN_OR_RETURN(std::string full_name, book->ContentFullName(index));
    return ObjectBuilder(state)
        .Add("FullName", [full_name](TableCall&, VARIANT* result,
                                     EXCEPINFO*) { return PutText(result, full_name); })
        .Build();
  };
  return ObjectBuilder(state)
      .Add("FullName", TextOf(book, &indesign::Book::FullName))
      .Add("Name", TextOf(book, &indesign::Book::Name))
      .Add("Modified", BoolOf(book, &indesign::Book::Modified))
      .Add("BookContents",
           [state, contents](TableCall&, VARIANT* result, EXCEPINFO*) {
             return PutObject(result, MakeCollection(state, contents));
           })
      .Add("Close", CloseOf([book](int32_t option) { return book->Close(option); }))
      .Build();
}

// A property of a preference object: read with `get`, written with `put`.
Body Property(std::function<HRESULT(VARIANT*, EXCEPINFO*)> get,
              std::function<Status(const VARIANT&)> put) {
  return [get, put](TableCall& call, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
    if (!IsPut(call)) return get(result, excep);
    const VARIANT* value = PutValue(call);
    if (value == nullptr) return DISP_E_MEMBERNOTFOUND;
    const Status written = put(*value);
    if (written.code() == ErrorCode::kInvalidArgument && written.message().empty()) {
      return DISP_E_TYPEMISMATCH;
    }
    return written.ok() ? S_OK : RaiseStatus(written, excep);
  };
}

Status TypeMismatch() { return Status(ErrorCode::kInvalidArgument, ""); }

Body IntProperty(const StatePtr& state, Result<int32_t> (indesign::Application::*get)(),
                 Status (indesign::Application::*set)(int32_t)) {
  return Property(
      [state, get](VARIANT* result, EXCEPINFO* excep) {
        Result<int32_t> value = ((*state->application).*get)();
        if (!value.ok()) return RaiseStatus(value.status(), excep);
        return PutInt(result, *value);
      },
      [state, set](const VARIANT& value) {
        Result<int32_t> number = VariantToInt32(value);
        if (!number.ok()) return TypeMismatch();
        return ((*state->application).*set)(*number);
      });
}

Body TextProperty(const StatePtr& state, Result<std::string> (indesign::Application::*get)(),
                  Status (indesign::Application::*set)(std::string_view)) {
  return Property(
      [state, get](VARIANT* result, EXCEPINFO* excep) {
        Result<std::string> value = ((*state->application).*get)();
        if (!value.ok()) return RaiseStatus(value.status(), excep);
        return PutText(result, *value);
      },
      [state, set](const VARIANT& value) {
        Result<std::string> text = VariantToUtf8(value);
        if (!text.ok()) return TypeMismatch();
        return ((*state->application).*set)(*text);
      });
}

// A swatch or style of the change formatting, by name; NOTHING clears it.
Body FormattingProperty(const StatePtr& state, std::string indesign::ChangeFormatting::*field) {
  return Property(
      [state, field](VARIANT* result, EXCEPINFO* excep) {
        Result<indesign::ChangeFormatting> formatting = state->application->GetChangeFormatting();
        if (!formatting.ok()) return RaiseStatus(formatting.status(), excep);
        if ((*formatting).*field == "") return PutInt(result, kNothing);
        return PutText(result, (*formatting).*field);
      },
      [state, field](const VARIANT& value) -> Status {
        std::string name;
        if (value.vt != VT_BSTR) {
          Result<int32_t> code = VariantToInt32(value);
          if (!code.ok() || *code != kNothing) return TypeMismatch();
        } else {
          name = BstrToUtf8(value.bstrVal);
        }
        MIRUNE_ASSIGN_OR_RETURN(indesign::ChangeFormatting formatting,
                                state->application->GetChangeFormatting());
        formatting.*field = name;
        return state->application->SetChangeFormatting(formatting);
      });
}

Body OptionProperty(const StatePtr& state, bool indesign::FindOptions::*field) {
  return Property(
      [state, field](VARIANT* result, EXCEPINFO* excep) {
        Result<indesign::FindOptions> options = state->application->GetFindOptions();
        if (!options.ok()) return RaiseStatus(options.status(), excep);
        return PutBool(result, (*options).*field);
      },
      [state, field](const VARIANT& value) -> Status {
        Result<bool> flag = VariantToBool(value);
        if (!flag.ok()) return TypeMismatch();
        MIRUNE_ASSIGN_OR_RETURN(indesign::FindOptions options,
                                state->application->GetFindOptions());
        options.*field = *flag;
        return state->application->SetFindOptions(options);
      });
}

Body ObjectProperty(std::function<ComPtr<IDispatch>()> make) {
  return [make](TableCall&, VARIANT* result, EXCEPINFO*) { return PutObject(result, make()); };
}

}  // namespace

HRESULT RaiseStatus(const Status& status, EXCEPINFO* excep) {
  if (excep != nullptr) {
    const std::u16string wide = Utf8ToUtf16(status.message());
    excep->scode = status.code() == ErrorCode::kNotFound ? DISP_E_BADINDEX : E_FAIL;
    excep->bstrDescription = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                               static_cast<UINT>(wide.size()));
    excep->bstrSource = SysAllocString(L"InDesign");
  }
  return DISP_E_EXCEPTION;
}

ComPtr<IDispatch> MakeInDesignDispatch(std::shared_ptr<InDesignDispatchState> state,
                                       const TestMembers& test_members) {
  using App = indesign::Application;
  auto books = std::make_shared<CollectionParts>();
  books->count = [state] { return state->application->BookCount(); };
  books->item = [state](int32_t index) -> Result<ComPtr<IDispatch>> {
    MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<indesign::Book> book,
                            state->application->BookItem(index));
    return MakeBook(state, std::move(book));
  };
  auto documents = std::make_shared<CollectionParts>();
  documents->count = [state] { return state->application->DocumentCount(); };
  documents->item = [state](int32_t index) -> Result<ComPtr<IDispatch>> {
    MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<indesign::Document> document,
                            state->application->DocumentItem(index));
    return MakeDocument(state, std::move(document));
  };

  auto export_prefs = [state] {
    return ObjectBuilder(state)
        .Add("CharacterSet",
             IntProperty(state, &App::TaggedTextCharacterSet, &App::SetTaggedTextCharacterSet))
        .Add("TagForm", IntProperty(state, &App::TaggedTextTagForm, &App::SetTaggedTextTagForm))
        .Build();
  };
  auto find_prefs = [state] {
    return ObjectBuilder(state)
        .Add("FindWhat", TextProperty(state, &App::FindWhat, &App::SetFindWhat))
        .Build();
  };
  auto change_prefs = [state] {
    return ObjectBuilder(state)
        .Add("ChangeTo", TextProperty(state, &App::ChangeTo, &App::SetChangeTo))
        .Add("AppliedCharacterStyle",
             FormattingProperty(state, &indesign::ChangeFormatting::applied_character_style))
        .Add("FillColor", FormattingProperty(state, &indesign::ChangeFormatting::fill_color))
        .Build();
  };
  auto find_options = [state] {
    return ObjectBuilder(state)
        .Add("CaseSensitive", OptionProperty(state, &indesign::FindOptions::case_sensitive))
        .Add("WholeWord", OptionProperty(state, &indesign::FindOptions::whole_word))
        .Build();
  };

  auto script_prefs = [state] {
    return ObjectBuilder(state)
        .Add("UserInteractionLevel",
             Property([state](VARIANT* result,
                              EXCEPINFO*) { return PutInt(result, state->user_interaction_level); },
                      [state](const VARIANT& value) -> Status {
                        Result<int32_t> level = VariantToInt32(value);
                        if (!level.ok()) return TypeMismatch();
                        if (*level != kNeverInteract && *level != 1699311170 &&
                            *level != 1699311169) {
                          return Status(ErrorCode::kInvalidArgument, "UserInteractionLevel に " +
                                                                         std::to_string(*level) +
                                                                         " は設定できません");
                        }
                        state->user_interaction_level = *level;
                        return Status::Ok();
                      }))
        .Build();
  };

  ObjectBuilder application(state);
  for (const auto& [name, handler] : test_members) application.AddPlain(name, handler);
  return application
      .Add("Books", ObjectProperty([state, books] { return MakeCollection(state, books); }))
      .Add("Documents",
           ObjectProperty([state, documents] { return MakeCollection(state, documents); }))
      .Add("Open",
           [state](TableCall& call, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
             Result<std::string> path = TextArg(call, 0);
             if (!path.ok()) return DISP_E_TYPEMISMATCH;
             if (state->behaviour.dialog_on_open &&
                 state->user_interaction_level != kNeverInteract) {
               Sleep(state->behaviour.dialog_ms);
               return RaiseStatus(Status(ErrorCode::kHostError,
                                         "開くときのダイアログが閉じられませんでした（試験用 "
                                         "InDesign の /Dialog）"),
                                  excep);
             }
             Result<indesign::OpenedItem> opened = state->application->Open(*path);
             if (!opened.ok()) return RaiseStatus(opened.status(), excep);
             if (opened->book) return PutObject(result, MakeBook(state, std::move(opened->book)));
             return PutObject(result, MakeDocument(state, std::move(opened->document)));
           })
      .Add("ActiveDocument",
           [state](TableCall&, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
             Result<std::unique_ptr<indesign::Document>> document =
                 state->application->ActiveDocument();
             if (!document.ok()) return RaiseStatus(document.status(), excep);
             return PutObject(result, MakeDocument(state, std::move(document).value()));
           })
      .Add("Version",
           [state](TableCall&, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
             Result<std::string> version = state->application->Version();
             if (!version.ok()) return RaiseStatus(version.status(), excep);
             return PutText(result, *version);
           })
      .Add("TaggedTextExportPreferences", ObjectProperty(export_prefs))
      .Add("ScriptPreferences", ObjectProperty(script_prefs))
      .Add("FindTextPreferences", ObjectProperty(find_prefs))
      .Add("ChangeTextPreferences", ObjectProperty(change_prefs))
      .Add("FindChangeTextOptions", ObjectProperty(find_options))
      .Add("ChangeText",
           [state](TableCall&, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
             Result<std::string> find = state->application->FindWhat();
             if (!find.ok()) return RaiseStatus(find.status(), excep);
             Result<int32_t> changed = state->application->ChangeText();
             if (!changed.ok()) return RaiseStatus(changed.status(), excep);
             return PutFoundTexts(state, result, *find, *changed);
           })
      .Build();
}

}  // namespace mirune::com
