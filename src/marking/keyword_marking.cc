#include "marking/keyword_marking.h"

#include <memory>
#include <utility>

#include "marking/keyword_list.h"
#include "marking/marking_rules.h"

namespace mirune {
namespace {

// A check that failed: the message to show and the detail behind it.
struct Refusal {
  MarkingMessage message;
  std::string detail;
};

class KeywordMarkingJob {
 public:
  explicit KeywordMarkingJob(KeywordMarkingHosts& hosts) : hosts_(hosts) {}

  // The job flag is held from the first question to the end, on every way out.
  KeywordMarkingResult Run() {
    JobRunningScope running(hosts_.flags);
    return RunSteps();
  }

 private:
  KeywordMarkingResult RunSteps() {
    // Checks 1 and 2: the workbook is shown, Excel can be reached.
    if (Status shown = hosts_.keywords.CheckKeywordWorkbookShown(); !shown.ok()) {
      return Refuse({MarkingMessage::kOpenKeywordWorkbook, shown.message()});
    }
    std::function<Result<ExcelWorkbook*>()> attach = [this] {
      return hosts_.keywords.AttachActiveWorkbook();
    };
    Result<ExcelWorkbook*> workbook = AttachWithRetry(attach, hosts_.sleeper);
    if (!workbook.ok()) {
      return Refuse({MarkingMessage::kExcelUnreachable, workbook.message()});
    }
    workbook_ = *workbook;

    // Checks 3 to 6; a host failure among them ends the job as any other does.
    Result<std::optional<Refusal>> checked = CheckPreconditions();
    if (!checked.ok()) return Fail(checked.status());
    if (checked->has_value()) return Refuse(std::move(**checked));

    // 7: confirmation.
    const MarkingMessageBox confirm = MarkingMessageFor(
        MarkingMessage::kConfirmStart, result_.target_path, hosts_.saved_by_launch);
    result_.message = MarkingMessage::kConfirmStart;
    if (hosts_.desktop.ShowMessage(confirm.text, confirm.title, confirm.style) != kAnswerOk) {
      result_.outcome = MarkingOutcome::kCancelled;
      return std::move(result_);
    }
    if (hosts_.on_confirmed) hosts_.on_confirmed();

    if (Status marked = Mark(); !marked.ok()) return Fail(marked);

    if (!hosts_.saved_by_launch) Show(MarkingMessage::kFinished);
    result_.outcome = MarkingOutcome::kFinished;
    return std::move(result_);
  }

  Result<std::optional<Refusal>> CheckPreconditions() {
    // 3: the sheet "Sheet1", exactly so named.
    Result<int> sheet = FindKeywordSheet(*workbook_);
    if (!sheet.ok()) {
      if (sheet.code() != ErrorCode::kNotFound) return sheet.status();
      return std::optional<Refusal>(Refusal{MarkingMessage::kNoSheet1, sheet.message()});
    }
    sheet_ = *sheet;
    // 4: column B has a keyword.
    MIRUNE_RETURN_IF_ERROR(workbook_->ActivateSheet(sheet_));
    MIRUNE_ASSIGN_OR_RETURN(keyword_count_, LastFilledRow(*workbook_, sheet_, kKeywordColumn));
    if (keyword_count_ == 0) {
      return std::optional<Refusal>(
          Refusal{MarkingMessage::kNoKeywords, "「Sheet1」の B 列にキーワードがありません"});
    }
    // 5: exactly one book or document open.
    indesign::Application& app = hosts_.indesign;
    MIRUNE_ASSIGN_OR_RETURN(const int32_t books, app.BookCount());
    MIRUNE_ASSIGN_OR_RETURN(const int32_t documents, app.DocumentCount());
    const int64_t open = static_cast<int64_t>(books) + documents;
    if (open == 0) {
      return std::optional<Refusal>(
          Refusal{MarkingMessage::kNoDocument, "開いているブックも文書もありません"});
    }
    if (open > 1) {
      return std::optional<Refusal>(Refusal{MarkingMessage::kSeveralDocuments,
                                            "ブックが " + std::to_string(books) + " 個、文書が " +
                                                std::to_string(documents) + " 個開いています"});
    }
    // 6: the target.
    if (books == 1) {
      MIRUNE_ASSIGN_OR_RETURN(book_, app.BookItem(1));
      result_.target_kind = "Book";
      MIRUNE_ASSIGN_OR_RETURN(result_.target_path, book_->FullName());
      MIRUNE_ASSIGN_OR_RETURN(document_count_, book_->ContentCount());
      if (document_count_ == 0) {
        return std::optional<Refusal>(Refusal{
            MarkingMessage::kEmptyBook, "ブック " + result_.target_path + " に文書がありません"});
      }
    } else {
      MIRUNE_ASSIGN_OR_RETURN(document_, app.ActiveDocument());
      result_.target_kind = "Doc";
      MIRUNE_ASSIGN_OR_RETURN(result_.target_path, document_->FullName());
      document_count_ = 1;
    }
    return std::optional<Refusal>();
  }

  Status Mark() {
    ProgressReporter& progress = hosts_.progress;
    indesign::Application& app = hosts_.indesign;
    // 9
    full_width_ = progress.StartProgress(kMarkingActivity);
    MIRUNE_RETURN_IF_ERROR(progress.UpdateProgress(10, 100, full_width_, kMarkingActivity));
    progress.YieldToMessageLoop();
    // 10
    MIRUNE_ASSIGN_OR_RETURN(const std::vector<std::string> keywords,
                            ReadKeywords(*workbook_, sheet_, kKeywordColumn, keyword_count_));
    result_.tallies.reserve(keywords.size());
    for (size_t i = 0; i < keywords.size(); ++i) {
      result_.tallies.push_back({static_cast<int32_t>(i + 1), keywords[i], 0});
    }
    // 11
    MIRUNE_ASSIGN_OR_RETURN(const std::string version, app.Version());
    const KeywordSearchCall call = SearchCallForVersion(version);
    if (call == KeywordSearchCall::kFindChangeText) {
      // The find/change settings stay the user's; only FindWhat and ChangeTo are set.
      MIRUNE_RETURN_IF_ERROR(app.SetChangeTo(""));
    }
    // 12
    for (int32_t d = 1; d <= document_count_; ++d) {
      std::unique_ptr<indesign::Document> opened;
      indesign::Document* document = document_.get();
      if (book_) {
        MIRUNE_ASSIGN_OR_RETURN(const std::string member, book_->ContentFullName(d));
        MIRUNE_ASSIGN_OR_RETURN(indesign::OpenedItem item, app.Open(member));
        if (!item.document) {
          return Status(ErrorCode::kHostError,
                        "ブックの構成ファイル " + member + " が文書として開けません");
        }
        opened = std::move(item.document);  // stays open in the host after the handle goes
        document = opened.get();
      }
      MIRUNE_RETURN_IF_ERROR(MarkDocument(*document, d, keywords, call));
    }
    // 13
    progress.FinishProgress(kMarkingFinishedActivity);
    return Status::Ok();
  }

  Status MarkDocument(indesign::Document& document, int32_t d,
                      const std::vector<std::string>& keywords, KeywordSearchCall call) {
    ProgressReporter& progress = hosts_.progress;
    indesign::Application& app = hosts_.indesign;
    if (Result<std::string> name = document.Name(); name.ok()) {
      progress.SetField(ProgressField::kDocumentName, *name);
    }
    progress.SetField(ProgressField::kDocumentCounter, CounterText(d, document_count_));
    progress.SetField(ProgressField::kStoryCounter, kCheckingText);
    progress.SetField(ProgressField::kEntryCaption, kKeywordCounterCaption);
    progress.SetField(ProgressField::kEntryCount, kCheckingText);
    MIRUNE_RETURN_IF_ERROR(progress.UpdateProgress(20, 100, full_width_, kMarkingActivity));
    progress.YieldToMessageLoop();

    const int64_t keyword_count = static_cast<int64_t>(keywords.size());
    // ChangeText changes every occurrence in every open document at once, so one call per
    // keyword does the whole document; calling it again for each further story would only
    // search the same text again (a whole-document search per story and keyword).
    bool document_changed = false;
    MIRUNE_ASSIGN_OR_RETURN(const int32_t story_count, document.StoryCount());
    for (int32_t s = 1; s <= story_count; ++s) {
      MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<indesign::Story> story, document.StoryItem(s));
      // 32-bit: a long story has far more than 32767 characters.
      MIRUNE_ASSIGN_OR_RETURN(const int32_t characters, story->CharacterCount());
      const std::string story_counter = CounterText(s, story_count);
      if (characters < 2) {
        progress.SetField(ProgressField::kStoryCounter, story_counter);
        continue;
      }
      for (int64_t k = 1; k <= keyword_count; ++k) {
        const std::string& keyword = keywords[k - 1];
        KeywordTally& tally = result_.tallies[k - 1];
        switch (call) {
          case KeywordSearchCall::kSearchFourArguments:
          case KeywordSearchCall::kSearchSixArguments: {
            // The left-out arguments of the older call are the host's own defaults; the empty
            // keyword is passed on like any other.
            MIRUNE_ASSIGN_OR_RETURN(const int32_t changed, story->Search(keyword, ""));
            tally.places += changed;
            break;
          }
          case KeywordSearchCall::kFindChangeText:
            if (keyword.empty() || document_changed) break;
            MIRUNE_RETURN_IF_ERROR(app.SetFindWhat(keyword));
            MIRUNE_RETURN_IF_ERROR(app.SetChangeTo(""));
            {
              MIRUNE_ASSIGN_OR_RETURN(const int32_t changed, app.ChangeText());
              // The call covers every open document (the book's earlier members included):
              // its count is the keyword's total so far.
              tally.places = changed;
            }
            break;
        }
        progress.SetField(ProgressField::kStoryCounter, story_counter);
        progress.SetField(ProgressField::kEntryCount, CounterText(k, keyword_count));
        MIRUNE_RETURN_IF_ERROR(progress.UpdateProgress(KeywordProgressValue(k, keyword_count), 100,
                                                       full_width_, kMarkingActivity));
      }
      document_changed = true;
      MIRUNE_RETURN_IF_ERROR(progress.UpdateProgress(100, 100, full_width_, kMarkingActivity));
    }
    return Status::Ok();
  }

  // Shows the message with the precise cause, when there is one, beside it.
  void Show(MarkingMessage message, std::string_view cause = {}) {
    const MarkingMessageBox box = MarkingMessageFor(message, result_.target_path);
    hosts_.desktop.ShowFailure(box.text, cause, box.title, box.style);
    result_.message = message;
  }

  KeywordMarkingResult Refuse(Refusal refusal) {
    Show(refusal.message, refusal.detail);
    result_.outcome = MarkingOutcome::kRefused;
    result_.detail = std::move(refusal.detail);
    return std::move(result_);
  }

  // Any host failure after the attach: kFailed. What was marked stays; the progress window is
  // left for the user to close once the job flag is cleared.
  KeywordMarkingResult Fail(const Status& status) {
    Show(MarkingMessage::kFailed, status.message());
    result_.outcome = MarkingOutcome::kFailed;
    result_.detail = status.message();
    return std::move(result_);
  }

  KeywordMarkingHosts& hosts_;
  KeywordMarkingResult result_;
  ExcelWorkbook* workbook_ = nullptr;
  int sheet_ = 0;
  int32_t keyword_count_ = 0;
  std::unique_ptr<indesign::Book> book_;
  std::unique_ptr<indesign::Document> document_;
  int32_t document_count_ = 0;
  float full_width_ = 0;
};

}  // namespace

KeywordMarkingResult RunKeywordMarking(KeywordMarkingHosts& hosts) {
  return KeywordMarkingJob(hosts).Run();
}

}  // namespace mirune
