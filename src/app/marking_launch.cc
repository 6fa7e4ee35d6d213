#include "app/marking_launch.h"

#include <optional>
#include <utility>
#include <vector>

#include "automation/indesign_engine/builder.h"
#include "base/file.h"
#include "base/path.h"
#include "marking/keyword_file_source.h"
#include "marking/mark_formatting.h"
#include "marking/marking_messages.h"
#include "marking/marking_rules.h"

namespace mirune {
namespace {

// Waits nothing: the keyword file is read before the first attempt, which cannot fail.
class NoSleeper : public Sleeper {
 public:
  void SleepMilliseconds(int32_t) override {}
};

// Checks that need no document: one mark, existing inputs of the right kind, an OUTPUT that
// names none of the inputs and whose folder is there (so a long run does not end unsaved).
Status CheckRequest(const FileMarkingRequest& r) {
  if (r.swatch.empty() == r.style.empty()) {
    return Status(ErrorCode::kInvalidArgument,
                  "--swatch と --style のどちらか一方だけを指定して下さい");
  }
  if (r.input.empty() || r.output.empty()) {
    return Status(ErrorCode::kInvalidArgument, "入力と出力（-o）を指定して下さい");
  }
  MIRUNE_RETURN_IF_ERROR(CheckInputPath(r.keywords_path).status());
  MIRUNE_RETURN_IF_ERROR(CheckInputPath(r.input).status());
  for (const std::string* input : {&r.input, &r.keywords_path}) {
    if (SameFile(*input, r.output)) {
      return Status(ErrorCode::kInvalidArgument,
                    "出力先 " + r.output + " は入力 " + *input +
                        " と同じファイルです。入力は書き換えません。別の出力先を指定して下さい");
    }
  }
  const std::string parent = ParentFolder(r.output);
  if (!parent.empty() && !FolderExists(parent)) {
    return Status(ErrorCode::kNotFound, "出力先のフォルダーがありません: " + parent);
  }
  return Status::Ok();
}

// Saves `document` to `path` and reads the file back: a mark that the saved file does not
// hold would otherwise be lost without a word.
Status SaveAndVerify(FileMarkingServices& s, const layout::Document& document,
                     const std::string& path, const indesign::ChangeFormatting& formatting) {
  if (Status saved = s.save(document, path); !saved.ok()) {
    return Status(saved.code(), "マークした文書を保存できません: " + saved.message());
  }
  Result<indesign_engine::LoadedItem> reread = s.loader.load(path);
  if (!reread.ok()) {
    return Status(reread.code(), "保存したファイルを読み直せません: " + reread.message());
  }
  if (!reread->document) {
    return Status(ErrorCode::kFormatError, "保存したファイルが文書として読めません: " + path);
  }
  const int64_t expected = CountMarkedCharacters(document, formatting);
  const int64_t kept = CountMarkedCharacters(*reread->document, formatting);
  if (kept != expected) {
    return Status(ErrorCode::kFormatError,
                  "保存したファイル " + path + " にはマークした " + std::to_string(expected) +
                      " 文字のうち " + std::to_string(kept) +
                      " 文字しか残っていません。この形式ではマークを保存しきれません");
  }
  return Status::Ok();
}

// The engine with the request's loader: every document read gets the swatch or style it
// lacks, book members included (the job opens those itself).
void AddMarkingLoader(indesign_engine::EngineApplication& engine,
                      const indesign_engine::Loader& base,
                      const indesign::ChangeFormatting& formatting) {
  indesign_engine::Loader loader = base;
  auto inner_load = base.load;
  loader.load = [inner_load,
                 formatting](const std::string& path) -> Result<indesign_engine::LoadedItem> {
    MIRUNE_ASSIGN_OR_RETURN(indesign_engine::LoadedItem item, inner_load(path));
    if (item.document) EnsureMarkFormatting(*item.document, formatting);
    return item;
  };
  engine.AddLoader(std::move(loader));
}

// What the engine opened: the document's path, or the book members' paths.
struct OpenedInput {
  std::string document_path;
  std::vector<std::string> members;
};

Result<OpenedInput> OpenInput(indesign_engine::EngineApplication& engine,
                              const FileMarkingRequest& r) {
  MIRUNE_ASSIGN_OR_RETURN(indesign::OpenedItem opened, engine.Open(r.input));
  OpenedInput input;
  if (opened.book) {
    MIRUNE_ASSIGN_OR_RETURN(const int32_t count, opened.book->ContentCount());
    for (int32_t i = 1; i <= count; ++i) {
      MIRUNE_ASSIGN_OR_RETURN(std::string member, opened.book->ContentFullName(i));
      input.members.push_back(std::move(member));
    }
    for (const std::string& member : input.members) {
      if (SameFile(JoinPath(r.output, layout::LastPathComponent(member)), member)) {
        return Result<OpenedInput>(ErrorCode::kInvalidArgument,
                                   "出力先に保存するとブックの文書 " + member +
                                       " を上書きしてしまいます。別のフォルダーを指定して下さい");
      }
    }
  }
  if (opened.document) {
    MIRUNE_ASSIGN_OR_RETURN(input.document_path, opened.document->FullName());
  }
  return input;
}

// Saves one file for a document; for a book, each document under its own file name in the
// OUTPUT folder.
Status SaveMarked(FileMarkingServices& s, indesign_engine::EngineApplication& engine,
                  const FileMarkingRequest& r, const OpenedInput& input,
                  const indesign::ChangeFormatting& formatting, FileMarkingResult& result) {
  std::vector<std::pair<std::string, std::string>> targets;  // model path → output path
  if (input.members.empty()) {
    targets.emplace_back(input.document_path, r.output);
  } else {
    MIRUNE_RETURN_IF_ERROR(CreateFolder(r.output));
    for (const std::string& member : input.members) {
      targets.emplace_back(member, JoinPath(r.output, layout::LastPathComponent(member)));
    }
  }
  for (const auto& [model_path, target] : targets) {
    layout::Document* model = engine.OpenDocumentModel(model_path);
    if (model == nullptr) {
      return Status(ErrorCode::kInternal, "マークした文書が開かれていません: " + model_path);
    }
    MIRUNE_RETURN_IF_ERROR(SaveAndVerify(s, *model, target, formatting));
    result.saved_paths.push_back(target);
  }
  return Status::Ok();
}

// Runs the job on `indesign` with the keyword file; the result to return when it did not
// finish (nothing is saved then), nullopt when it did.
std::optional<FileMarkingResult> RunMarkingJob(
    const FileMarkingRequest& r, indesign::Application& indesign,
    const std::function<Result<std::unique_ptr<ExcelWorkbook>>(const std::string&)>& open_keywords,
    Desktop& desktop, ProgressReporter& progress, JobFlags& flags,
    const std::function<void()>& on_confirmed, KeywordMarkingResult& job) {
  auto stop = [](ExitCode exit, const Status& cause) {
    FileMarkingResult result;
    result.exit = exit;
    result.cause = cause;
    return std::optional<FileMarkingResult>(std::move(result));
  };
  KeywordFileSource source(r.keywords_path, open_keywords);
  NoSleeper sleeper;
  KeywordMarkingHosts job_hosts{indesign, source, desktop, progress, sleeper, flags, on_confirmed};
  job_hosts.saved_by_launch = true;
  job = RunKeywordMarking(job_hosts);
  if (flags.abort_requested) {
    return stop(ExitCode::kRefused,
                Status(ErrorCode::kCancelled, "中止しました。マークした文書は保存していません"));
  }
  switch (job.outcome) {
    case MarkingOutcome::kFinished:
      return std::nullopt;
    case MarkingOutcome::kCancelled:
      return stop(ExitCode::kRefused,
                  Status(ErrorCode::kCancelled, "キャンセルしました。何も保存していません"));
    case MarkingOutcome::kRefused:
      // A keyword file that cannot be read is bad input; the other refusals are checks of
      // the documents.
      return stop(job.message == MarkingMessage::kOpenKeywordWorkbook ? ExitCode::kError
                                                                      : ExitCode::kRefused,
                  Status(ErrorCode::kCancelled, job.detail));
    case MarkingOutcome::kFailed:
      break;
  }
  return stop(ExitCode::kError,
              Status(ErrorCode::kHostError,
                     "マーキングに失敗しました。何も保存していません: " + job.detail));
}

// kFinished, shown by the launch once every marked document is saved (never before a save fails).
void ShowFinished(Desktop& desktop) {
  const MarkingMessageBox box = MarkingMessageFor(MarkingMessage::kFinished);
  desktop.ShowMessage(box.text, box.title, box.style);
}

std::string MarkNameWarning(const FileMarkingRequest& r) {
  const std::string& mark_name = r.swatch.empty() ? r.style : r.swatch;
  if (IsRazozaMarkName(mark_name)) return {};
  return "注意: \"" + mark_name +
         "\" は RazozaMark1〜RazozaMark9 ではないため、索引抽出ではマークとして拾われません。";
}

// The change formatting and find options of the request, set as a user sets them in
// InDesign's Find/Change window.
Status SetHostFindChange(indesign::Application& app, const FileMarkingRequest& r) {
  indesign::ChangeFormatting formatting;
  formatting.fill_color = r.swatch;
  formatting.applied_character_style = r.style;
  if (Status set = app.SetChangeFormatting(formatting); !set.ok()) {
    return Status(set.code(),
                  "InDesign にマークの書式を設定できません（文書にスウォッチか"
                  "文字スタイル \"" +
                      (r.swatch.empty() ? r.style : r.swatch) +
                      "\" がありますか）: " + set.message());
  }
  return app.SetFindOptions({r.case_sensitive, r.whole_word});
}

// The open document whose FullName is `path`.
Result<std::unique_ptr<indesign::Document>> OpenDocumentNamed(indesign::Application& indesign,
                                                              const std::string& path) {
  MIRUNE_ASSIGN_OR_RETURN(const int32_t count, indesign.DocumentCount());
  for (int32_t i = 1; i <= count; ++i) {
    MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<indesign::Document> document, indesign.DocumentItem(i));
    MIRUNE_ASSIGN_OR_RETURN(const std::string full_name, document->FullName());
    if (full_name == path) return document;
  }
  return Error{ErrorCode::kInternal, "マークした文書が InDesign で開かれていません: " + path};
}

}  // namespace

namespace {

// The documents the marking works on: the members of an opened book, or the opened document
// (by the name InDesign gives it, else `input`).
Status ListTargets(const indesign::OpenedItem& opened, const std::string& input,
                   OpenedInput& targets) {
  if (!opened.book) {
    targets.document_path = input;
    if (Result<std::string> name = opened.document->FullName(); name.ok()) {
      targets.document_path = *name;
    }
    return Status::Ok();
  }
  MIRUNE_ASSIGN_OR_RETURN(const int32_t count, opened.book->ContentCount());
  for (int32_t i = 1; i <= count; ++i) {
    MIRUNE_ASSIGN_OR_RETURN(std::string member, opened.book->ContentFullName(i));
    targets.members.push_back(std::move(member));
  }
  return Status::Ok();
}

// Saves every marked document under the output: a document as the output file, a book's
// members into the output folder under their own names. Each document is closed after its
// save; `saved` receives the paths written.
Status SaveMarked(indesign::Application& app, const OpenedInput& targets,
                  const FileMarkingRequest& r,
                  const std::function<Status(indesign::Document&, const std::string&)>& save_as,
                  std::vector<std::string>& saved) {
  std::vector<std::pair<std::string, std::string>> saves;  // document → output path
  if (targets.members.empty()) {
    saves.emplace_back(targets.document_path, AbsolutePath(r.output));
  } else {
    MIRUNE_RETURN_IF_ERROR(CreateFolder(r.output));
    for (const std::string& member : targets.members) {
      saves.emplace_back(member,
                         JoinPath(AbsolutePath(r.output), layout::LastPathComponent(member)));
    }
  }
  for (const auto& [path, target] : saves) {
    MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<indesign::Document> document,
                            OpenDocumentNamed(app, path));
    if (Status written = save_as(*document, target); !written.ok()) {
      return Status(written.code(), "マークした文書を保存できません: " + written.message());
    }
    saved.push_back(target);
    document->Close(indesign::kSaveNo).ok();
  }
  return Status::Ok();
}

}  // namespace

FileMarkingResult LaunchHostMarking(const FileMarkingRequest& r, HostMarkingServices& s) {
  FileMarkingResult result;
  auto fail = [&](ExitCode exit, const Status& cause) {
    result.exit = exit;
    result.cause = cause;
    return std::move(result);
  };
  if (Status checked = CheckRequest(r); !checked.ok()) return fail(ExitCode::kError, checked);
  if (std::string warning = MarkNameWarning(r); !warning.empty()) {
    result.warnings.push_back(std::move(warning));
  }
  Result<std::shared_ptr<indesign::Application>> indesign = s.create_indesign();
  if (!indesign.ok()) return fail(ExitCode::kError, indesign.status());
  indesign::Application& app = **indesign;

  // The job marks the one open book or document: InDesign must hold nothing else.
  const std::string input = AbsolutePath(r.input);
  Result<indesign::OpenedItem> opened = app.Open(input);
  if (!opened.ok()) return fail(ExitCode::kError, opened.status());
  OpenedInput targets;
  // However the marking stops, what it opened is closed without saving: INPUT is never
  // written, and InDesign holds nothing half-marked that a later job would refuse.
  struct CloseOpened {
    indesign::Application& app;
    indesign::OpenedItem& opened;
    const OpenedInput& targets;
    bool done = false;
    ~CloseOpened() {
      if (done) return;
      std::vector<std::string> paths = targets.members;
      if (!targets.document_path.empty()) paths.push_back(targets.document_path);
      for (const std::string& path : paths) {
        Result<std::unique_ptr<indesign::Document>> document = OpenDocumentNamed(app, path);
        if (document.ok()) (*document)->Close(indesign::kSaveNo).ok();
      }
      if (opened.book) opened.book->Close(indesign::kSaveNo).ok();
    }
  } close_opened{app, *opened, targets};
  if (Status listed = ListTargets(*opened, input, targets); !listed.ok()) {
    return fail(ExitCode::kError, listed);
  }
  // The find/change preference objects exist from CS3 on; the older generations' Search
  // applies what the user set in InDesign's Find/Change window.
  Result<std::string> version = app.Version();
  if (!version.ok()) return fail(ExitCode::kError, version.status());
  if (SearchCallForVersion(*version) != KeywordSearchCall::kFindChangeText) {
    result.warnings.push_back("注意: InDesign " + *version +
                              " には置換形式を設定する手段がないため、InDesign の検索と置換で"
                              "設定されている置換形式でマーキングします。");
  } else if (Status set = SetHostFindChange(app, r); !set.ok()) {
    return fail(ExitCode::kError, set);
  }

  KeywordMarkingResult job;
  if (std::optional<FileMarkingResult> stopped = RunMarkingJob(
          r, app, s.open_keywords, s.desktop, s.progress, s.flags, s.on_confirmed, job)) {
    stopped->warnings = std::move(result.warnings);
    return std::move(*stopped);
  }

  if (Status saved = SaveMarked(app, targets, r, s.save_as, result.saved_paths); !saved.ok()) {
    return fail(ExitCode::kError, saved);
  }
  if (opened->book) opened->book->Close(indesign::kSaveNo).ok();
  close_opened.done = true;
  result.tallies = std::move(job.tallies);
  result.exit = ExitCode::kOk;
  ShowFinished(s.desktop);
  return result;
}

FileMarkingResult LaunchFileMarking(const FileMarkingRequest& r, FileMarkingServices& s) {
  FileMarkingResult result;
  auto fail = [&](ExitCode exit, const Status& cause) {
    result.exit = exit;
    result.cause = cause;
    return std::move(result);
  };
  if (Status checked = CheckRequest(r); !checked.ok()) return fail(ExitCode::kError, checked);
  if (std::string warning = MarkNameWarning(r); !warning.empty()) {
    result.warnings.push_back(std::move(warning));
  }

  indesign::ChangeFormatting formatting;
  formatting.fill_color = r.swatch;
  formatting.applied_character_style = r.style;
  indesign_engine::EngineApplication engine;
  AddMarkingLoader(engine, s.loader, formatting);

  Result<OpenedInput> input = OpenInput(engine, r);
  if (!input.ok()) return fail(ExitCode::kError, input.status());
  if (Status set = engine.SetChangeFormatting(formatting); !set.ok()) {
    return fail(ExitCode::kError, set);
  }
  if (Status set = engine.SetFindOptions({r.case_sensitive, r.whole_word}); !set.ok()) {
    return fail(ExitCode::kError, set);
  }

  KeywordMarkingResult job;
  if (std::optional<FileMarkingResult> stopped = RunMarkingJob(
          r, engine, s.open_keywords, s.desktop, s.progress, s.flags, s.on_confirmed, job)) {
    stopped->warnings = std::move(result.warnings);
    return std::move(*stopped);
  }
  if (Status saved = SaveMarked(s, engine, r, *input, formatting, result); !saved.ok()) {
    return fail(ExitCode::kError, saved);
  }
  result.tallies = std::move(job.tallies);
  result.exit = ExitCode::kOk;
  ShowFinished(s.desktop);
  return result;
}

std::string MarkedOutputPath(const std::string& input, bool folder,
                             const std::function<bool(const std::string&)>& taken) {
  std::string path = input;
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  // The extension starts at the last dot of the last name, not at its first character.
  const size_t slash = path.find_last_of("/\\");
  const size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = path.rfind('.');
  if (folder || dot == std::string::npos || dot <= name_start) dot = path.size();
  const std::string stem = path.substr(0, dot);
  const std::string extension = path.substr(dot);
  std::string candidate = stem + "-marked" + extension;
  for (int n = 2; taken && taken(candidate); ++n) {
    candidate = stem + "-marked-" + std::to_string(n) + extension;
  }
  return candidate;
}

}  // namespace mirune
