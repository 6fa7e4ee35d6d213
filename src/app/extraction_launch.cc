#include "app/extraction_launch.h"

#include <optional>

#include "app/data_folder.h"
#include "app/indesign_host.h"
#include "base/file.h"
#include "extraction/messages.h"
#include "extraction/working_files.h"

namespace mirune {
namespace {

bool EndsWith(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// InDesign's tagged-text export preferences of before the launch, written back whatever
// way the launch ends.
class SavedExportPreferences {
 public:
  Status Save(indesign::Application& app) {
    MIRUNE_ASSIGN_OR_RETURN(const int32_t character_set, app.TaggedTextCharacterSet());
    MIRUNE_ASSIGN_OR_RETURN(const int32_t tag_form, app.TaggedTextTagForm());
    app_ = &app;
    character_set_ = character_set;
    tag_form_ = tag_form;
    return Status::Ok();
  }
  Status Restore() {
    if (app_ == nullptr) return Status::Ok();
    indesign::Application* app = app_;
    app_ = nullptr;
    const Status a = app->SetTaggedTextCharacterSet(character_set_);
    const Status b = app->SetTaggedTextTagForm(tag_form_);
    return a.ok() ? b : a;
  }
  ~SavedExportPreferences() { (void)Restore(); }

 private:
  indesign::Application* app_ = nullptr;
  int32_t character_set_ = 0;
  int32_t tag_form_ = 0;
};

}  // namespace

std::string SelectedFilePath(const LaunchSelection& selection) {
  std::string folder = selection.folder;
  if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) {
#ifdef _WIN32
    folder += '\\';
#else
    folder += '/';
#endif
  }
  return folder + selection.file_name;
}

TargetKind ClassifyTarget(const std::string& file_name, const std::string& path) {
  if (file_name.empty()) return TargetKind::kNotADocument;
  if (EndsWith(file_name, "indd")) return TargetKind::kIndd;
  if (EndsWith(file_name, "indb")) return TargetKind::kIndb;
  // "idml" in any case, as the IDML loader itself takes it; "indd" and "indb" keep their
  // exact lower-case check.
  std::string lower = file_name.size() >= 4 ? file_name.substr(file_name.size() - 4) : file_name;
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (lower == "idml" && !FolderExists(path)) return TargetKind::kIdml;
  if (FolderExists(path)) return TargetKind::kIdmlFolder;
  return TargetKind::kNotADocument;
}

std::string NotADocumentCause(const LaunchSelection& selection, const std::string& path) {
  if (selection.file_name.empty()) return {};  // nothing chosen: the message says it all
  if (Result<PathKind> kind = CheckInputPath(path); !kind.ok()) return kind.message();
  return path +
         " は InDesign の文書（.indd）やブック（.indb）でも、IDML（.idml、または .idml "
         "の章を集めたフォルダー）でもありません";
}

std::string NativeDocumentDetail(const std::string& path) {
  return "InDesign の文書（.indd）とブック（.indb）を開くには InDesign が必要です: " + path +
         "\nInDesign で IDML に書き出したコピー（文書は .idml、ブックは .idml "
         "の章を集めたフォルダー）"
         "なら、このまま処理できます。";
}

Result<std::shared_ptr<indesign::Application>> CreateNativeInDesign(
    const std::function<Result<std::shared_ptr<indesign::Application>>()>& connect,
    const std::string& path) {
  Result<std::shared_ptr<indesign::Application>> indesign = connect();
  if (!indesign.ok() && indesign.code() == ErrorCode::kNotFound) {
    return Error{ErrorCode::kNotFound, indesign.message() + "\n" + NativeDocumentDetail(path)};
  }
  return indesign;
}

void UseInDesign(LaunchServices& services, bool com, const std::string& path,
                 std::shared_ptr<indesign::Application> engine) {
  services.opens_native_documents = com;
  if (com) {
    services.create_indesign = [path] { return CreateNativeInDesign(ConnectComInDesign, path); };
  } else {
    services.create_indesign = [engine = std::move(engine)] {
      return Result<std::shared_ptr<indesign::Application>>(engine);
    };
  }
}

LaunchResult LaunchExtraction(LaunchServices& s, const LaunchSelection& selection) {
  LaunchResult result;
  if (s.flags.job_running) {
    result.outcome = LaunchOutcome::kIgnored;
    return result;
  }
  Desktop& desktop = s.desktop;

  // Word or Excel visible: both are asked, Excel first.
  const bool excel = s.find_visible_excel ? s.find_visible_excel() : false;
  const bool word = s.find_visible_word ? s.find_visible_word() : false;
  if (excel || word) {
    desktop.ShowMessage(MessageCloseWordAndExcel(), kTitleCheck, kStyleRefusal);
    result.outcome = LaunchOutcome::kWordExcelOpen;
    return result;
  }

  // One job per data folder: a second one is refused before anything changes.
  auto lock = DataFolderLock::Acquire(s.data_folder);
  if (!lock.ok() && lock.code() == ErrorCode::kCancelled) {
    desktop.ShowMessage(lock.message(), kTitleCheck, kStyleRefusal);
    result.outcome = LaunchOutcome::kDataFolderBusy;
    result.error = lock.status();
    return result;
  }

  std::shared_ptr<indesign::Application> indesign;
  SavedExportPreferences saved;
  // The launch steps; an error goes to the recovery below.
  auto steps = [&]() -> Status {
    if (!lock.ok()) return lock.status();
    MIRUNE_ASSIGN_OR_RETURN(indesign, s.create_indesign());
    if (s.close_utility_window) s.close_utility_window();
    desktop.FocusMainWindow();
    MIRUNE_RETURN_IF_ERROR(saved.Save(*indesign));
    MIRUNE_RETURN_IF_ERROR(indesign->SetTaggedTextCharacterSet(indesign::kCharacterSetUnicode));
    MIRUNE_RETURN_IF_ERROR(indesign->SetTaggedTextTagForm(indesign::kTagFormAbbreviated));

    const WorkingFolders folders(s.data_folder);
    if (!FolderExists(folders.temp)) MIRUNE_RETURN_IF_ERROR(CreateFolder(folders.temp));
    if (!FolderExists(folders.results)) MIRUNE_RETURN_IF_ERROR(CreateFolder(folders.results));
    // Under the lock: what an interrupted job left goes before this one starts.
    MIRUNE_RETURN_IF_ERROR(RemoveLeftoverWorkingFiles(folders, &result.recovered));

    result.selected_path = SelectedFilePath(selection);
    const TargetKind kind = ClassifyTarget(selection.file_name, result.selected_path);
    if (kind == TargetKind::kNotADocument) {
      desktop.ShowFailure(kMessageSelectDocument,
                          NotADocumentCause(selection, result.selected_path), kTitleCheck,
                          kStyleRefusal);
      result.outcome = LaunchOutcome::kNotADocument;
      return Status::Ok();
    }
    if ((kind == TargetKind::kIndd || kind == TargetKind::kIndb) && !s.opens_native_documents) {
      return Status(ErrorCode::kUnsupported, NativeDocumentDetail(result.selected_path));
    }
    // A pipe or a device would block the reading. A path the file system does not know is
    // the host's to open (InDesign names what it cannot open).
    if (Result<PathKind> input = CheckInputPath(result.selected_path);
        !input.ok() && input.code() != ErrorCode::kNotFound) {
      return input.status();
    }
    desktop.ShowInDesign();
    ExtractionContext context{*indesign,  desktop,    s.flags, s.progress,
                              s.analyzer, s.workbook, folders, s.entries};
    ExtractionRequest request;
    request.selected_file_path = result.selected_path;
    request.selected_file_name = selection.file_name;
    request.book = kind == TargetKind::kIndb || kind == TargetKind::kIdmlFolder;
    result.job = RunExtraction(context, request);
    result.outcome = LaunchOutcome::kRan;
    return Status::Ok();
  };

  const Status status = steps();
  // The user's export preferences come back on every way out, before InDesign is released.
  const Status restored = saved.Restore();
  // A failed write-back after the job is the job's detail; before it, it is a launch error.
  if (!status.ok() || (!restored.ok() && result.outcome != LaunchOutcome::kRan)) {
    const Status& cause = status.ok() ? restored : status;
    desktop.ShowFailure(MessageCannotContinue(), cause.message(), kTitleCheck, kStyleRefusal);
    desktop.ShowInDesign();
    indesign.reset();
    s.flags.job_running = false;
    desktop.CloseAbortWindow();
    s.progress.CloseProgress();
    desktop.FocusMainWindow();
    result.outcome = LaunchOutcome::kRecovered;
    result.error = status.ok() ? restored : status;
    return result;
  }
  if (!restored.ok() && result.job.error.ok()) result.job.error = restored;
  desktop.SetSelectionControlsEnabled(true);
  return result;
}

ExitCode ExitCodeOf(const LaunchResult& result) {
  switch (result.outcome) {
    case LaunchOutcome::kIgnored:
    case LaunchOutcome::kWordExcelOpen:
    case LaunchOutcome::kDataFolderBusy:
      return ExitCode::kRefused;
    case LaunchOutcome::kNotADocument:
    case LaunchOutcome::kRecovered:
      return ExitCode::kError;
    case LaunchOutcome::kRan:
      break;
  }
  switch (result.job.outcome) {
    case ExtractionOutcome::kCompleted:
      return ExitCode::kOk;
    case ExtractionOutcome::kEmpty:
    case ExtractionOutcome::kRefused:
    case ExtractionOutcome::kCancelled:
    case ExtractionOutcome::kAborted:
      return ExitCode::kRefused;
    case ExtractionOutcome::kFailed:
      return ExitCode::kError;
  }
  return ExitCode::kError;
}

}  // namespace mirune
