#include "extraction/extraction_job.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "base/file.h"
#include "base/file_set.h"
#include "extraction/messages.h"
#include "extraction/output_files.h"
#include "extraction/page_marking.h"

namespace mirune {
namespace {

std::string Counter(int64_t current, int64_t total) {
  return std::to_string(current) + " / " + std::to_string(total);
}

// A step of the job: an outcome when the job ends there (refused, cancelled, aborted), none
// when it goes on; an error is the job's trap.
using Step = Result<std::optional<ExtractionOutcome>>;

// Ends the job with the step's outcome or error, or goes on.
#define MIRUNE_RUN_STEP(step)                                     \
  do {                                                            \
    Step mirune_step_ = (step);                                   \
    if (!mirune_step_.ok()) return mirune_step_.status().error(); \
    if (mirune_step_->has_value()) return **mirune_step_;         \
  } while (0)

class Job {
 public:
  Job(ExtractionContext& context, const ExtractionRequest& request)
      : c_(context), r_(request), abort_window_(context.desktop, context.flags) {}

  // Runs the job; an error is the job's trap (the caller shows MessageCannotContinue).
  Result<ExtractionOutcome> Run(ExtractionResult& result);

  // Clean-up of the error path: windows closed, InDesign shown.
  void CleanUpAfterError() {
    c_.desktop.ShowInDesign();
    abort_window_.Close();
    c_.progress.CloseProgress();
  }

 private:
  int Ask(const std::string& text, std::string_view title, int style) {
    return c_.desktop.ShowMessage(text, title, style);
  }
  Status Update(int32_t done, std::string_view activity = kActivityExtracting) {
    return c_.progress.UpdateProgress(done, 100, full_width_, activity);
  }
  void Yield() { c_.progress.YieldToMessageLoop(); }
  // Nothing open in InDesign; opens the target and asks the user to start.
  Step OpenAndConfirm();
  // The target as the job needs it: a book saved and not empty, a document saved or the
  // user's consent; sets document_count_.
  Step CheckTarget();
  // Every document in turn, each after the pause in which the user may abort.
  Step ExtractDocuments(indesign::TextProperty property);
  // The results, replacing the previous ones together; or the empty result.
  Result<ExtractionOutcome> WriteResults(ExtractionResult& result);
  Result<ExtractionOutcome> Abort(int64_t document_number);
  Status ProcessDocument(indesign::Document& document, int64_t d, int64_t count,
                         indesign::TextProperty property);
  // The job's end on every normal way out: InDesign and the main window back.
  void Finish() {
    c_.desktop.ShowInDesign();
    c_.desktop.FocusMainWindow();
  }

  ExtractionContext& c_;
  const ExtractionRequest& r_;
  AbortWindow abort_window_;
  std::unique_ptr<indesign::Book> book_;
  std::unique_ptr<indesign::Document> document_;
  int64_t document_count_ = 1;
  float full_width_ = 0;
  int64_t export_number_ = 0;
  double open_seconds_ = 0;
};

Result<ExtractionOutcome> Job::Run(ExtractionResult& result) {
  c_.flags.abort_requested = false;
  c_.entries.Clear();
  c_.analyzer.BeginBook();
  MIRUNE_RUN_STEP(OpenAndConfirm());
  MIRUNE_RUN_STEP(CheckTarget());

  // The job runs from here.
  c_.desktop.SetSelectionControlsEnabled(false);
  c_.progress.SetField(ProgressField::kDocumentName, r_.selected_file_name);
  abort_window_.Show(r_.selected_file_name);
  c_.desktop.HideInDesign();
  const double start_time = c_.desktop.ClockSeconds();
  MIRUNE_ASSIGN_OR_RETURN(const std::string version, c_.indesign.Version());
  MIRUNE_RUN_STEP(ExtractDocuments(WritePropertyForVersion(version)));
  MIRUNE_RETURN_IF_ERROR(c_.analyzer.FinishBook(c_.entries));

  MIRUNE_RETURN_IF_ERROR(Update(20, kActivityWriting));
  Yield();
  if (r_.book) MIRUNE_RETURN_IF_ERROR(book_->Close(indesign::kSaveNo));
  MIRUNE_ASSIGN_OR_RETURN(const ExtractionOutcome outcome, WriteResults(result));
  if (outcome != ExtractionOutcome::kCompleted) return outcome;

  // The whole job: opening the target, and everything after the user's confirmation.
  result.elapsed_seconds = open_seconds_ + (c_.desktop.ClockSeconds() - start_time);
  Ask(MessageCompleted(result.elapsed_seconds, result.extracted_count, c_.folders.results),
      kTitleProduct, kStyleCompletion);
  Finish();
  return ExtractionOutcome::kCompleted;
}

Step Job::OpenAndConfirm() {
  MIRUNE_ASSIGN_OR_RETURN(const int32_t open_books, c_.indesign.BookCount());
  MIRUNE_ASSIGN_OR_RETURN(const int32_t open_documents, c_.indesign.DocumentCount());
  if (open_books > 0 || open_documents > 0) {
    Ask(MessageSomethingOpen(), kTitleCheck, kStyleRefusal);
    return std::optional(ExtractionOutcome::kRefused);
  }

  // Opening reads the whole document (an IDML package is loaded here): part of the job's time.
  const double open_start = c_.desktop.ClockSeconds();
  MIRUNE_ASSIGN_OR_RETURN(indesign::OpenedItem opened, c_.indesign.Open(r_.selected_file_path));
  open_seconds_ = c_.desktop.ClockSeconds() - open_start;
  c_.desktop.FocusMainWindow();

  if (r_.book) {
    if (opened.book != nullptr) {
      book_ = std::move(opened.book);
    } else {
      MIRUNE_ASSIGN_OR_RETURN(book_, c_.indesign.BookItem(1));
    }
  } else if (opened.document != nullptr) {
    document_ = std::move(opened.document);
  } else {
    MIRUNE_ASSIGN_OR_RETURN(document_, c_.indesign.DocumentItem(1));
  }
  const std::string question = r_.book ? MessageStartBook(r_.selected_file_path)
                                       : MessageStartDocument(r_.selected_file_path);
  if (Ask(question, kTitleProduct, kStyleConfirmStart) != kAnswerOk) {
    MIRUNE_RETURN_IF_ERROR(r_.book ? book_->Close(indesign::kSaveNo)
                                   : document_->Close(indesign::kSaveNo));
    return std::optional(ExtractionOutcome::kCancelled);
  }
  return std::optional<ExtractionOutcome>();
}

Step Job::CheckTarget() {
  std::string path;
  if (r_.book) {
    MIRUNE_ASSIGN_OR_RETURN(path, book_->FullName());
    MIRUNE_ASSIGN_OR_RETURN(const bool modified, book_->Modified());
    if (modified) {
      Ask(MessageBookModified(), kTitleCheck, kStyleRefusal);
      return std::optional(ExtractionOutcome::kRefused);  // the book stays open
    }
    MIRUNE_ASSIGN_OR_RETURN(const int32_t members, book_->ContentCount());
    if (members == 0) {
      Ask(MessageBookEmpty(), kTitleCheck, kStyleRefusal);
      return std::optional(ExtractionOutcome::kRefused);
    }
    document_count_ = members;
  } else {
    MIRUNE_ASSIGN_OR_RETURN(path, document_->FullName());
    MIRUNE_ASSIGN_OR_RETURN(const bool modified, document_->Modified());
    if (modified &&
        Ask(MessageDocumentModified(), kTitleCheck, kStyleUnsavedWarning) != kAnswerOk) {
      return std::optional(ExtractionOutcome::kCancelled);  // the document stays open
    }
  }
  if (path.empty()) {
    Ask(MessageTargetNotFound(), kTitleCheck, kStyleRefusal);
    return std::optional(ExtractionOutcome::kRefused);
  }
  return std::optional<ExtractionOutcome>();
}

Step Job::ExtractDocuments(indesign::TextProperty property) {
  for (int64_t d = 1; d <= document_count_; ++d) {
    // The pause before each document, during which the user may abort.
    MIRUNE_ASSIGN_OR_RETURN(const std::string name, r_.book ? book_->Name() : document_->Name());
    abort_window_.Show(name);
    abort_window_.Pause(5);
    abort_window_.Close();
    if (c_.flags.abort_requested) {
      MIRUNE_ASSIGN_OR_RETURN(const ExtractionOutcome aborted, Abort(d));
      return std::optional(aborted);
    }

    full_width_ = c_.progress.StartProgress(kActivityExtracting);
    Yield();
    c_.progress.SetField(ProgressField::kDocumentCounter, Counter(d, document_count_));
    c_.progress.SetField(ProgressField::kStoryCounter, "確認中...");
    c_.progress.SetField(ProgressField::kEntryCount, "抽出中...");
    MIRUNE_RETURN_IF_ERROR(Update(7));
    Yield();

    std::unique_ptr<indesign::Document> member;
    indesign::Document* current = document_.get();
    if (r_.book) {
      MIRUNE_ASSIGN_OR_RETURN(const std::string member_path,
                              book_->ContentFullName(static_cast<int32_t>(d)));
      MIRUNE_ASSIGN_OR_RETURN(indesign::OpenedItem opened_member, c_.indesign.Open(member_path));
      if (opened_member.document == nullptr) {
        return Status(ErrorCode::kNotFound,
                      "ブックの構成ファイルが文書として開けません: " + member_path);
      }
      member = std::move(opened_member.document);
      current = member.get();
    }
    if (!r_.book || d == 1) export_number_ = 0;
    MIRUNE_RETURN_IF_ERROR(Update(10));
    Yield();
    MIRUNE_RETURN_IF_ERROR(ProcessDocument(*current, d, document_count_, property));
  }
  return std::optional<ExtractionOutcome>();
}

Result<ExtractionOutcome> Job::WriteResults(ExtractionResult& result) {
  result.entry_count = c_.entries.entry_count();
  result.export_count = export_number_;

  // Nothing extracted: the previous results stay as they were.
  if (c_.entries.empty()) {
    Ask(MessageNothingExtracted(), kTitleCheck, kStyleRefusal);
    c_.progress.CloseProgress();
    Finish();
    return ExtractionOutcome::kEmpty;
  }

  // The three results replace the previous three together, or not at all.
  OutputFileSet outputs;
  const std::vector<std::string> lines = c_.entries.Lines();
  MIRUNE_RETURN_IF_ERROR(outputs.Add(c_.folders.razoza_doc, BuildRazozaRtf(lines)));
  MIRUNE_RETURN_IF_ERROR(Update(30, kActivityWriting));
  MIRUNE_RETURN_IF_ERROR(outputs.Add(c_.folders.razoza_txt, BuildRazozaText(lines)));
  MIRUNE_RETURN_IF_ERROR(Update(40, kActivityWriting));
  Yield();
  MIRUNE_RETURN_IF_ERROR(Update(50, kActivityWriting));
  Yield();
  MIRUNE_ASSIGN_OR_RETURN(const std::string xls_staging, outputs.Stage(c_.folders.razoza_xls));
  // A failure names Razoza.xls, not the hidden name it was being written under.
  auto written = c_.workbook.WriteRazozaXls(c_.entries, xls_staging, c_.progress, full_width_);
  if (!written.ok()) return outputs.NameTargets(written.status());
  result.extracted_count = *written;
  MIRUNE_RETURN_IF_ERROR(outputs.Commit());
  c_.progress.FinishProgress(kActivityWriting);
  return ExtractionOutcome::kCompleted;
}

Status Job::ProcessDocument(indesign::Document& document, int64_t d, int64_t count,
                            indesign::TextProperty property) {
  MIRUNE_ASSIGN_OR_RETURN(const std::string document_name, document.Name());
  // Page markers from the last page and frame to the first.
  MIRUNE_RETURN_IF_ERROR(
      MarkDocumentPages(document, property, [&](int64_t done, int64_t pages) -> Status {
        const double value = static_cast<double>(done) / static_cast<double>(pages) * 29.0 + 10.0;
        MIRUNE_RETURN_IF_ERROR(Update(static_cast<int32_t>(RoundHalfEven(value))));
        Yield();
        return Status::Ok();
      }));

  MIRUNE_ASSIGN_OR_RETURN(const int32_t story_count, document.StoryCount());
  c_.progress.SetField(ProgressField::kDocumentCounter, Counter(d, count));
  c_.progress.SetField(ProgressField::kStoryCounter, Counter(1, story_count));
  MIRUNE_RETURN_IF_ERROR(Update(40));
  Yield();

  for (int32_t s = 1; s <= story_count; ++s) {
    MIRUNE_ASSIGN_OR_RETURN(const std::unique_ptr<indesign::Story> story, document.StoryItem(s));
    MIRUNE_ASSIGN_OR_RETURN(const int32_t characters, story->CharacterCount());
    if (characters < 2) {
      c_.progress.SetField(ProgressField::kStoryCounter, Counter(s, story_count));
      continue;
    }
    ++export_number_;
    StoryFiles files;
    files.export_number = export_number_;
    files.export_path = c_.folders.ExportPath(export_number_);
    files.work_doc_path = JoinPath(c_.folders.temp, WorkDocName(export_number_));
    files.story_name = document_name + " のストーリー " + std::to_string(s);
    MIRUNE_RETURN_IF_ERROR(story->Export(indesign::kTaggedTextFormat, files.export_path));
    c_.progress.SetField(ProgressField::kDocumentCounter, Counter(d, count));
    c_.progress.SetField(ProgressField::kStoryCounter, Counter(s, story_count));
    MIRUNE_RETURN_IF_ERROR(Update(42));
    Yield();
    MIRUNE_RETURN_IF_ERROR(c_.analyzer.AnalyzeStory(files, c_.entries, c_.progress, full_width_));
    c_.progress.SetField(ProgressField::kEntryCount, std::to_string(c_.entries.entry_count()));
    // The story's working files go as soon as it is analysed; after an error they stay for
    // inspection and the next job overwrites them.
    MIRUNE_RETURN_IF_ERROR(RemoveFile(files.export_path));
    MIRUNE_RETURN_IF_ERROR(RemoveFile(files.work_doc_path));
  }
  // Closing without saving throws the page markers away with the working copy.
  return document.Close(indesign::kSaveNo);
}

Result<ExtractionOutcome> Job::Abort(int64_t document_number) {
  if (document_number == 1) {
    if (r_.book) {
      MIRUNE_RETURN_IF_ERROR(book_->Close(indesign::kSaveNo));
    } else {
      MIRUNE_RETURN_IF_ERROR(document_->Close(indesign::kSaveNo));
    }
  } else {
    // The entries of the members done so far are dropped; the previous results stay.
    c_.entries.Clear();
    c_.progress.CloseProgress();
    MIRUNE_RETURN_IF_ERROR(book_->Close(indesign::kSaveNo));
  }
  Finish();
  return ExtractionOutcome::kAborted;
}

}  // namespace

ExtractionResult RunExtraction(ExtractionContext& context, const ExtractionRequest& request) {
  // Set before the first question (while the user is asked no other job may start), cleared
  // on every way out.
  JobRunningScope running(context.flags);
  Job job(context, request);
  ExtractionResult result;
  Result<ExtractionOutcome> outcome = job.Run(result);
  if (outcome.ok()) {
    result.outcome = *outcome;
    result.entry_count = context.entries.entry_count();
    if (result.outcome == ExtractionOutcome::kCompleted) {
      result.text_pages = context.entries.text_pages();
      result.warnings = context.entries.warnings();
      result.reading_check_count = static_cast<int64_t>(context.entries.reading_checks().size());
    }
    return result;
  }
  result.outcome = ExtractionOutcome::kFailed;
  result.error = outcome.status();
  context.desktop.ShowFailure(MessageCannotContinue(), result.error.message(), kTitleCheck,
                              kStyleRefusal);
  job.CleanUpAfterError();
  return result;
}

}  // namespace mirune
