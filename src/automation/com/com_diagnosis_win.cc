#include "automation/com/com_diagnosis_win.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "automation/com/activation_win.h"
#include "automation/com/com_types_win.h"
#include "automation/com/dispatcher_win.h"
#include "automation/com/excel_client_win.h"
#include "automation/com/indesign_client_win.h"
#include "automation/com/list_result_win.h"
#include "base/utf.h"

namespace mirune::com {
namespace {

constexpr int32_t kSaveNo = 1852776480;  // SaveOptions.NO

std::string Number(long long n) { return std::to_string(n); }

std::string TextOf(const VARIANT& value) {
  Result<std::string> text = VariantToUtf8(value);
  return text.ok() ? *text : std::string();
}

// What a value is, as the report shows it: its type and value (a text cut short).
std::string Describe(const UniqueVariant& value) {
  const VARIANT& v = value.get();
  if ((v.vt & VT_ARRAY) != 0) {
    SAFEARRAY* array = (v.vt & VT_BYREF) != 0 ? *v.pparray : v.parray;
    if (array == nullptr) return "配列（なし）";
    const UINT dims = SafeArrayGetDim(array);
    std::string out = Number(dims) + " 次元の配列（";
    for (UINT d = 1; d <= dims; ++d) {
      LONG low = 0, high = -1;
      SafeArrayGetLBound(array, d, &low);
      SafeArrayGetUBound(array, d, &high);
      if (d > 1) out += " × ";
      out += Number(high - low + 1) + " 個、下限 " + Number(low);
    }
    return out + "）";
  }
  switch (v.vt) {
    case VT_EMPTY:
      return "空（VT_EMPTY）";
    case VT_NULL:
      return "Null";
    case VT_DISPATCH:
      return v.pdispVal == nullptr ? "Nothing" : "オブジェクト";
    case VT_BOOL:
      return std::string("真偽値 ") + (v.boolVal != VARIANT_FALSE ? "True" : "False");
    case VT_BSTR: {
      Result<std::string> text = VariantToUtf8(v);
      std::string shown = text.ok() ? *text : "?";
      const std::u32string wide = Utf8ToUtf32(shown);
      if (wide.size() > 40) shown = Utf32ToUtf8(wide.substr(0, 40)) + "…";
      return "文字列「" + shown + "」";
    }
    default: {
      Result<double> number = VariantToDouble(v);
      if (number.ok()) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15G", *number);
        return "数値 " + std::string(buf) + "（型 " + Number(v.vt) + "）";
      }
      return "型 " + Number(v.vt) + " の値";
    }
  }
}

// "コレクション（Count と Item）2 件"
std::string DescribeList(const ListLength& length) {
  return std::string(ListShapeName(length.shape)) + " " + Number(length.length) + " 件";
}

class Recorder {
 public:
  explicit Recorder(DiagnosisSection& section) : section_(section) {}
  void Ok(std::string member, std::string answer) {
    section_.lines.push_back({std::move(member), std::move(answer), true});
  }
  void Fail(std::string member, std::string cause) {
    section_.lines.push_back({std::move(member), std::move(cause), false});
  }
  // Failed, but the jobs take a fallback for it.
  void Covered(std::string member, std::string cause) {
    section_.lines.push_back({std::move(member), std::move(cause), false, true});
  }
  // A value read: ok with its description, or the cause.
  template <typename T, typename Show>
  bool Record(const std::string& member, const Result<T>& result, Show show) {
    if (result.ok()) {
      Ok(member, show(*result));
      return true;
    }
    Fail(member, result.message());
    return false;
  }
  bool Record(const std::string& member, const Result<UniqueVariant>& result) {
    return Record(member, result, [](const UniqueVariant& v) { return Describe(v); });
  }
  bool Record(const std::string& member, const Status& status, const std::string& done) {
    if (status.ok()) {
      Ok(member, done);
      return true;
    }
    Fail(member, status.message());
    return false;
  }

 private:
  DiagnosisSection& section_;
};

std::string LevelName(int32_t level) {
  switch (level) {
    case kNeverInteract:
      return Number(level) + "（NEVER_INTERACT）";
    case kInteractWithAlerts:
      return Number(level) + "（INTERACT_WITH_ALERTS）";
    case kInteractWithAll:
      return Number(level) + "（INTERACT_WITH_ALL）";
  }
  return Number(level);
}

// The paths the jobs take on this InDesign, by their own rules for its Version.
struct JobPaths {
  int search_arguments = 0;  // 0: ChangeText
  bool text_contents = false;
};

// A collection's batched list (`EveryItem().GetElements()` or `EveryItem().<property>`),
// compared with its Count.
void ProbeBatched(Recorder& r, Dispatcher& collection, const std::string& name,
                  const char* property, int32_t count) {
  const std::string label =
      name + ".EveryItem()." + (property == nullptr ? "GetElements()" : property);
  constexpr char kPlain[] = "（ジョブは Count と Item で読みます）";
  Result<Dispatcher> every = collection.CallObject("EveryItem", {}, collection.type() + ".Every");
  if (!every.ok()) {
    if (IsMissingMember(collection.last_failure())) {
      r.Covered(label, every.message() + kPlain);
    } else {
      r.Fail(label, every.message());
    }
    return;
  }
  Result<UniqueVariant> value =
      property == nullptr ? every->Call("GetElements") : every->Get(property);
  if (!value.ok()) {
    if (IsMissingMember(every->last_failure())) {
      r.Covered(label, value.message() + kPlain);
    } else {
      r.Fail(label, value.message());
    }
    return;
  }
  const std::string described = Describe(*value);
  Result<ListLength> length =
      ReadListLength(*every, std::move(value).value(), label, collection.type() + ".List");
  if (!length.ok()) {
    r.Fail(label, described + ": " + length.message());
    return;
  }
  std::string answer = described + " → " + DescribeList(*length);
  if (length->length != count) {
    r.Covered(label, answer + "（Count " + Number(count) + " と異なります）" + kPlain);
    return;
  }
  r.Ok(label, answer);
}

// The members the jobs use, tried on a document of the check's own, as they are (not through
// the client): what InDesign gives back.
void ProbeDocumentMembers(Recorder& r, Dispatcher& application, const InDesignProbe& probe) {
  Result<UniqueVariant> file = UniqueVariant::Text(probe.document);
  if (!file.ok()) return;
  Result<Dispatcher> document =
      application.CallObject("Open", std::span<const UniqueVariant>(&*file, 1), "Document");
  if (!r.Record("Open(確認用の文書)", document, [](const Dispatcher&) {
        return std::string("文書を開きました（新しい文書として）");
      })) {
    return;
  }
  r.Record("Document.Name", document->Get("Name"));
  Result<Dispatcher> pages = document->GetObject("Pages", "Pages");
  if (r.Record("Document.Pages", pages,
               [](const Dispatcher&) { return std::string("オブジェクト"); })) {
    Result<int32_t> count = pages->GetInt32("Count");
    r.Record("Pages.Count", count, [](int32_t n) { return "整数 " + Number(n); });
    if (count.ok()) {
      ProbeBatched(r, *pages, "Pages", nullptr, *count);
      ProbeBatched(r, *pages, "Pages", "Name", *count);
      Result<Dispatcher> page = pages->ItemObject(1, "Page");
      if (r.Record("Pages.Item(1)", page,
                   [](const Dispatcher&) { return std::string("オブジェクト"); })) {
        r.Record("Pages.Item(1).Name", page->Get("Name"));
        Result<Dispatcher> frames = page->GetObject("TextFrames", "TextFrames");
        if (frames.ok()) {
          Result<int32_t> frame_count = frames->GetInt32("Count");
          r.Record("Page.TextFrames.Count", frame_count,
                   [](int32_t n) { return "整数 " + Number(n); });
          if (frame_count.ok()) {
            ProbeBatched(r, *frames, "TextFrames", nullptr, *frame_count);
          }
          Result<Dispatcher> frame = frames->ItemObject(1, "TextFrame");
          if (frame.ok()) {
            Result<UniqueVariant> contents = frame->Get("Contents");
            r.Record("TextFrames.Item(1).Contents", contents);
            Result<Dispatcher> characters = frame->GetObject("Characters", "Characters");
            if (characters.ok() && contents.ok()) {
              Result<int32_t> n = characters->GetInt32("Count");
              const std::u32string text = Utf8ToUtf32(TextOf(contents->get()));
              size_t units = 0;
              for (char32_t c : text) units += c > 0xFFFF ? 2 : 1;
              r.Record("TextFrame.Characters.Count", n, [&](int32_t count) {
                std::string out = "整数 " + Number(count);
                if (static_cast<size_t>(count) == text.size() && units != text.size()) {
                  out += "（文字の数え方: 符号位置。BMP 外の文字も 1 文字）";
                } else if (static_cast<size_t>(count) == units && units != text.size()) {
                  out += "（文字の数え方: UTF-16。BMP 外の文字を 2 文字と数えます）";
                }
                return out;
              });
              Result<Dispatcher> first = characters->ItemObject(1, "Character");
              if (first.ok()) r.Record("Characters.Item(1).Contents", first->Get("Contents"));
            } else if (!characters.ok()) {
              r.Fail("TextFrame.Characters", characters.message());
            }
          } else {
            r.Fail("TextFrames.Item(1)", frame.message());
          }
        } else {
          r.Fail("Page.TextFrames", frames.message());
        }
      }
    }
  }
  Result<Dispatcher> stories = document->GetObject("Stories", "Stories");
  if (stories.ok()) r.Record("Stories.Count", stories->Get("Count"));
  const UniqueVariant no = UniqueVariant::Int32(kSaveNo);
  r.Record("Document.Close(SaveOptions.NO)",
           document->Call("Close", std::span<const UniqueVariant>(&no, 1)).status(),
           "保存せずに閉じました");
}

// The find/change path of the generation, as the jobs take it, on a second document of the
// check's own; the user's find/change settings are put back.
void ProbeFindChange(Recorder& r, indesign::Application& client, Dispatcher& application,
                     indesign::Document& document, const InDesignProbe& probe,
                     const JobPaths& paths) {
  if (paths.search_arguments == 0) {
    Result<std::string> find_what = client.FindWhat();
    r.Record("FindTextPreferences.FindWhat", find_what,
             [](const std::string& s) { return "文字列「" + s + "」"; });
    Result<std::string> change_to = client.ChangeTo();
    r.Record("ChangeTextPreferences.ChangeTo", change_to,
             [](const std::string& s) { return "文字列「" + s + "」"; });
    r.Record("ChangeTextPreferences.FillColor / AppliedCharacterStyle",
             client.GetChangeFormatting(), [](const indesign::ChangeFormatting& f) {
               return "スウォッチ「" + f.fill_color + "」、スタイル「" + f.applied_character_style +
                      "」";
             });
    r.Record("FindChangeTextOptions.CaseSensitive / WholeWord", client.GetFindOptions(),
             [](const indesign::FindOptions& o) {
               return std::string("大文字と小文字 ") + (o.case_sensitive ? "区別" : "区別しない") +
                      "、単語単位 " + (o.whole_word ? "オン" : "オフ");
             });
    if (!find_what.ok() || !change_to.ok()) return;
    // The word stands only in the check's own document: the change touches nothing else.
    Status set = client.SetFindWhat(probe.word);
    if (set.ok()) set = client.SetChangeTo(probe.word);
    if (set.ok()) {
      Result<UniqueVariant> changed = application.Call("ChangeText");
      if (!changed.ok()) {
        r.Fail("ChangeText()", changed.message());
      } else {
        const std::string described = Describe(*changed);
        Result<ListLength> length =
            ReadListLength(application, std::move(changed).value(), "ChangeText()", "Changed");
        if (!length.ok()) {
          r.Fail("ChangeText()", described + ": " + length.message());
        } else if (length->length != 1) {
          r.Fail("ChangeText()",
                 described + " → " + DescribeList(*length) + "（確認用の語は 1 か所です）");
        } else {
          r.Ok("ChangeText()", described + " → " + DescribeList(*length));
        }
      }
    } else {
      r.Fail("FindTextPreferences.FindWhat（書き込み）", set.message());
    }
    Status put_back = client.SetFindWhat(*find_what);
    if (put_back.ok()) put_back = client.SetChangeTo(*change_to);
    r.Record("検索と置換の設定を元に戻す", put_back, "元に戻しました");
    return;
  }
  // InDesign 2, CS and CS2: the story's Search, with the generation's arguments (the client's).
  Result<std::unique_ptr<indesign::Story>> story = document.StoryItem(1);
  if (!story.ok()) {
    r.Fail("Stories.Item(1)", story.message());
    return;
  }
  const std::string label = "Story.Search（引数 " + Number(paths.search_arguments) + " 個）";
  Result<int32_t> found = (*story)->Search(probe.word, "");
  if (found.ok() && *found != 1) {
    r.Fail(label, "件数 " + Number(*found) + "（確認用の語は 1 か所です）");
  } else {
    r.Record(label, found, [](int32_t n) { return "件数 " + Number(n); });
  }
}

// The page marking's path through the client, on a document of the check's own: its batched
// reads and fallbacks, and a write after a character beyond the BMP.
void ProbeThroughClient(Recorder& r, indesign::Application& client, Dispatcher& application,
                        const InDesignProbe& probe, const JobPaths& paths) {
  Result<indesign::OpenedItem> opened = client.Open(probe.document);
  if (!opened.ok() || !opened->document) {
    r.Fail("Open(確認用の文書)（ジョブの方法）",
           opened.ok() ? std::string("文書ではないものが開きました") : opened.message());
    if (opened.ok() && opened->book) (void)opened->book->Close(kSaveNo);
    return;
  }
  indesign::Document& document = *opened->document;
  Result<std::vector<std::string>> names = document.PageNames();
  r.Record("ノンブルの読み出し（ジョブの方法）", names, [](const std::vector<std::string>& n) {
    std::string out = Number(static_cast<long long>(n.size())) + " ページ:";
    for (const std::string& name : n) out += " " + name;
    return out;
  });
  Result<std::vector<std::unique_ptr<indesign::Page>>> pages = document.Pages();
  r.Record("ページの読み出し（ジョブの方法）", pages,
           [](const std::vector<std::unique_ptr<indesign::Page>>& p) {
             return Number(static_cast<long long>(p.size())) + " ページ";
           });
  if (pages.ok() && !pages->empty()) {
    Result<std::vector<std::unique_ptr<indesign::TextFrame>>> frames = (*pages)[0]->TextFrames();
    r.Record("テキストフレームの読み出し（ジョブの方法）", frames,
             [](const std::vector<std::unique_ptr<indesign::TextFrame>>& f) {
               return Number(static_cast<long long>(f.size())) + " 個";
             });
    if (frames.ok() && !frames->empty()) {
      indesign::TextFrame& frame = *(*frames)[0];
      Result<indesign::TextTail> tail = frame.ReadTail(1);
      if (r.Record("最後の文字の読み出し（ジョブの方法）", tail,
                   [](const indesign::TextTail& t) {
                     return "文字数 " + Number(t.count) + "、最後の文字「" +
                            (t.contents.empty() ? std::string() : t.contents.back()) + "」";
                   }) &&
          !tail->contents.empty()) {
        // The same character written back where page marking writes its marker.
        const auto property = paths.text_contents ? indesign::TextProperty::kTextContents
                                                  : indesign::TextProperty::kContents;
        r.Record(std::string("最後の文字への書き込み（") +
                     (paths.text_contents ? "TextContents" : "Contents") + "、BMP 外の文字の後）",
                 frame.WriteCharacter(tail->count, tail->contents.back(), property),
                 "書き込めました（同じ文字を書き戻しました）");
      }
    }
  }
  ProbeFindChange(r, client, application, document, probe, paths);
  r.Record("Document.Close(SaveOptions.NO)（ジョブの方法）", document.Close(kSaveNo),
           "保存せずに閉じました");
}

}  // namespace

DiagnosisSection DiagnoseInDesign(const InDesignProbe& probe) {
  DiagnosisSection section;
  section.title = "InDesign";
  Recorder r(section);
  Result<ComPtr<IDispatch>> server = CreateServer(probe.prog_id, "InDesign");
  if (!server.ok()) {
    r.Fail("CreateObject(\"" + probe.prog_id + "\")", server.message());
    return section;
  }
  section.reached = true;
  r.Ok("CreateObject(\"" + probe.prog_id + "\")", "接続しました");
  Dispatcher application(*server, std::make_shared<DispIdCache>(), "InDesign", "Application", "");
  std::unique_ptr<indesign::Application> client = MakeInDesignClient(*server);

  Result<UniqueVariant> version = application.Get("Version");
  r.Record("Application.Version", version);
  if (version.ok()) section.version = TextOf(version->get());
  JobPaths paths;
  if (probe.search_arguments) paths.search_arguments = probe.search_arguments(section.version);
  if (probe.writes_text_contents) {
    paths.text_contents = probe.writes_text_contents(section.version);
  }

  Result<Dispatcher> documents = application.GetObject("Documents", "Documents");
  std::optional<int32_t> documents_before;
  if (documents.ok()) {
    Result<int32_t> n = documents->GetInt32("Count");
    r.Record("Documents.Count", n,
             [](int32_t c) { return "整数 " + Number(c) + "（ユーザーの文書）"; });
    if (n.ok()) documents_before = *n;
  }

  // The dialogs kept away for as long as the check holds InDesign, as in a job.
  Result<std::optional<int32_t>> users_level = SuppressInDesignDialogs(*client);
  bool dialogs_suppressed = false;
  if (!users_level.ok()) {
    r.Fail("ScriptPreferences.UserInteractionLevel", users_level.message());
  } else if (!users_level->has_value()) {
    r.Covered("ScriptPreferences.UserInteractionLevel",
              "この InDesign にはありません（開くときのダイアログを抑えられません）");
    section.fallbacks.push_back(
        "UserInteractionLevel がないため、文書を開くときのダイアログを抑えられません");
  } else {
    dialogs_suppressed = true;
    Result<Dispatcher> prefs = application.GetObject("ScriptPreferences", "ScriptPreferences");
    Result<int32_t> now =
        prefs.ok() ? prefs->GetInt32("UserInteractionLevel") : Result<int32_t>(prefs.error());
    if (now.ok() && *now == kNeverInteract) {
      r.Ok("ScriptPreferences.UserInteractionLevel",
           "読み: " + LevelName(**users_level) + "、書き込み: " + LevelName(kNeverInteract));
    } else {
      r.Fail("ScriptPreferences.UserInteractionLevel",
             "NEVER_INTERACT を書き込んだ後の値が " + (now.ok() ? LevelName(*now) : now.message()) +
                 " です");
    }
  }

  Result<Dispatcher> tagged =
      application.GetObject("TaggedTextExportPreferences", "TaggedTextExportPreferences");
  if (tagged.ok()) {
    r.Record("TaggedTextExportPreferences.CharacterSet", tagged->Get("CharacterSet"));
    r.Record("TaggedTextExportPreferences.TagForm", tagged->Get("TagForm"));
  } else {
    r.Fail("TaggedTextExportPreferences", tagged.message());
  }

  ProbeDocumentMembers(r, application, probe);
  ProbeThroughClient(r, *client, application, probe, paths);

  if (dialogs_suppressed) {
    Status restored = RestoreInDesignDialogs(*client, **users_level);
    Result<Dispatcher> prefs = application.GetObject("ScriptPreferences", "ScriptPreferences");
    Result<int32_t> now =
        prefs.ok() ? prefs->GetInt32("UserInteractionLevel") : Result<int32_t>(prefs.error());
    if (restored.ok() && now.ok() && *now == **users_level) {
      r.Ok("UserInteractionLevel を元に戻す", LevelName(*now));
    } else {
      r.Fail("UserInteractionLevel を元に戻す",
             restored.ok() ? (now.ok() ? LevelName(*now) : now.message()) : restored.message());
    }
  }
  if (documents.ok() && documents_before) {
    Result<int32_t> after = documents->GetInt32("Count");
    if (after.ok() && *after == *documents_before) {
      r.Ok("Documents.Count（確認の後）", "整数 " + Number(*after) + "（確認前と同じ）");
    } else {
      r.Fail("Documents.Count（確認の後）", after.ok() ? "整数 " + Number(*after) + "（確認前は " +
                                                             Number(*documents_before) + "）"
                                                       : after.message());
    }
  }

  // What the jobs will do: the client's own choices, then the generation's path.
  for (std::string& line : InDesignClientFallbacks(*client)) section.fallbacks.push_back(line);
  bool batched_kept = true;
  for (const std::string& line : section.fallbacks) {
    if (line.find("Count と Item") != std::string::npos) batched_kept = false;
  }
  if (batched_kept) {
    section.fallbacks.push_back(
        "ページとテキストフレームは一括で読みます（EveryItem().GetElements()、"
        "EveryItem().Name）");
  }
  if (paths.search_arguments == 0) {
    section.fallbacks.push_back(
        "キーワードのマーキングは ChangeText と検索・置換の設定（CS3 以降）で行います");
  } else {
    section.fallbacks.push_back(
        std::string("InDesign ") + (paths.search_arguments == 4 ? "2" : "CS/CS2") +
        " の世代: キーワードのマーキングは Story.Search（引数 " + Number(paths.search_arguments) +
        " 個）で行い、検索と置換の設定は InDesign の検索と置換のウィンドウのものを使います");
  }
  if (paths.text_contents) {
    section.fallbacks.push_back("ノンブルは TextContents で書き込みます（InDesign 2）");
  }
  return section;
}

DiagnosisSection DiagnoseExcel(const std::string& prog_id) {
  DiagnosisSection section;
  section.title = "Excel";
  Recorder r(section);

  // The user's Excel, as the re-sort and keyword marking reach it: only looked at.
  Result<std::unique_ptr<ExcelClient>> running = ExcelClient::AttachOnce(prog_id);
  if (!running.ok()) {
    r.Ok("GetActiveObject(\"" + prog_id + "\")（起動中の Excel）",
         "起動中の Excel はありません（" + running.message() + "）");
  } else {
    r.Ok("GetActiveObject(\"" + prog_id + "\")（起動中の Excel）", "接続しました");
    Result<std::unique_ptr<ExcelWorkbook>> active = (*running)->ActiveWorkbook();
    if (active.ok()) {
      r.Ok("Application.ActiveWorkbook（起動中の Excel）", "ブックがあります");
    } else {
      r.Ok("Application.ActiveWorkbook（起動中の Excel）", active.message());
    }
  }

  Result<std::unique_ptr<ExcelClient>> excel = ExcelClient::Create(prog_id);
  if (!excel.ok()) {
    r.Fail("CreateObject(\"" + prog_id + "\")", excel.message());
    return section;
  }
  section.reached = true;
  r.Ok("CreateObject(\"" + prog_id + "\")", "新しい Excel を起動しました");
  Dispatcher& application = (*excel)->application();
  Result<UniqueVariant> version = application.Get("Version");
  r.Record("Application.Version", version);
  if (version.ok()) section.version = TextOf(version->get());
  std::optional<int32_t> workbooks_before;
  Result<Dispatcher> workbooks = application.GetObject("Workbooks", "Workbooks");
  if (workbooks.ok()) {
    Result<int32_t> n = workbooks->GetInt32("Count");
    r.Record("Workbooks.Count", n, [](int32_t c) { return "整数 " + Number(c); });
    if (n.ok()) workbooks_before = *n;
  } else {
    r.Fail("Application.Workbooks", workbooks.message());
  }

  Result<std::unique_ptr<ExcelWorkbook>> book = (*excel)->AddWorkbook();
  if (r.Record("Workbooks.Add()", book, [](const std::unique_ptr<ExcelWorkbook>& b) {
        return "新しいブック（シート " + Number(b->SheetCount()) + " 枚）";
      })) {
    ExcelWorkbook& wb = **book;
    // The re-sort's own call: Key1 on the reading, Key2 on the page for equal readings.
    CellBlock block(3, 3);
    const char* readings[] = {"さくいん", "あいうえお", "さくいん"};
    const int pages[] = {12, 30, 4};
    for (int i = 0; i < 3; ++i) {
      block.at(i, 0) = CellValue::Number(i + 1);
      block.at(i, 1) = CellValue::Text(readings[i]);
      block.at(i, 2) = CellValue::Number(pages[i]);
    }
    r.Record("Range(\"A1:C3\").Value（2 次元の配列の書き込み）", wb.SetCells(1, 1, 1, block),
             "書き込みました");
    Result<CellBlock> read = wb.GetCells(1, CellRange::Area(1, 1, 3, 3));
    r.Record("Range(\"A1:C3\").Value（2 次元の配列の読み出し）", read, [](const CellBlock& b) {
      std::string out = Number(b.rows) + " 行 × " + Number(b.columns) + " 列:";
      for (const CellValue& c : b.cells) out += " " + c.AsText();
      return out;
    });
    constexpr std::string_view kSortMember =
        "Cells.Sort（Key1 が B 列の読み、Key2 が C 列のノンブル）";
    Status sorted = wb.SortRowsByTwoKeys(1, 2, 3);
    Result<CellBlock> after = wb.GetCells(1, CellRange::Area(1, 1, 3, 3));
    if (sorted.ok() && after.ok()) {
      std::string order;
      for (int i = 0; i < after->rows; ++i)
        order += " " + after->at(i, 1).AsText() + "(" + after->at(i, 2).AsText() + ")";
      const bool right = after->rows == 3 && after->at(0, 1).AsText() == "あいうえお" &&
                         after->at(1, 2).AsText() == "4" && after->at(2, 2).AsText() == "12";
      if (right) {
        r.Ok(std::string(kSortMember), "並べ替えました:" + order);
      } else {
        r.Fail(std::string(kSortMember), "順が違います:" + order);
      }
    } else {
      r.Fail(std::string(kSortMember), sorted.ok() ? after.message() : sorted.message());
    }
    r.Record("Range.Font.Name / Font.Size / NumberFormat / 配置 / WrapText（読み出し）",
             wb.GetFormat(1, 1, 2), [](const CellFormat& f) {
               return "フォント「" + f.font_name + "」" + Number(f.font_height_twips / 20) +
                      " pt、表示形式「" + f.number_format + "」";
             });
    r.Record("書式の複写（項目ごと、クリップボードを使いません）",
             wb.CopyFormat(1, 1, 2, CellRange::Area(2, 2, 3, 2)), "複写しました");
    Result<std::unique_ptr<ExcelWorkbook>> active = (*excel)->ActiveWorkbook();
    if (active.ok()) {
      r.Ok("Application.ActiveWorkbook（新しいブック）", "新しいブックです");
    } else {
      r.Fail("Application.ActiveWorkbook（新しいブック）", active.message());
      section.fallbacks.push_back("開いたブックが ActiveWorkbook になりません: " +
                                  active.message());
    }
  }
  // The Excel started here held only the check's workbook: closed without saving.
  if (workbooks_before && *workbooks_before == 0) {
    Status alerts = (*excel)->SetDisplayAlerts(false);
    Status quit = alerts.ok() ? application.Call("Quit").status() : alerts;
    r.Record("Application.Quit（保存せずに終了）", quit, "確認用のブックを保存せずに終了しました");
  } else {
    r.Fail("Application.Quit（保存せずに終了）",
           "起動した Excel にほかのブックがあるため終了しませんでした（確認用のブックは開いた"
           "ままです）");
  }
  section.fallbacks.push_back(
      "書式はクリップボードを使わずに項目ごとに複写します（ほかのプログラムがクリップボードを"
      "使っていても並べ替えは止まりません）");
  section.fallbacks.push_back(
      "起動中の Excel が複数あるときは、最初に起動した Excel だけに接続します");
  return section;
}

std::string DiagnosisText(const std::vector<DiagnosisSection>& sections) {
  std::string out;
  for (const DiagnosisSection& section : sections) {
    out += "■ " + section.title;
    out += section.reached
               ? "（バージョン " + (section.version.empty() ? "不明" : section.version) + "）"
               : "（接続できません）";
    out += "\n";
    int failed = 0;
    for (const DiagnosisLine& line : section.lines) {
      out += std::string(line.ok        ? "  OK    "
                         : line.covered ? "  代替  "
                                        : "  失敗  ") +
             line.member + ": " + line.answer + "\n";
      if (!line.ok && !line.covered) ++failed;
    }
    out +=
        "  結果: " + (failed == 0 ? std::string("すべて OK") : Number(failed) + " 件の失敗") + "\n";
    if (!section.fallbacks.empty()) {
      out += "  ジョブが使う方法:\n";
      for (const std::string& line : section.fallbacks) out += "    ・" + line + "\n";
    }
    out += "\n";
  }
  return out;
}

}  // namespace mirune::com
