#include "marking/mark_command.h"

#include <utility>
#include <vector>

#include "automation/indesign_engine/builder.h"
#include "base/file.h"
#include "base/utf.h"
#include "marking/keyword_report.h"
#include "marking/mark_formatting.h"

namespace mirune {
namespace {

// Waits nothing: the keyword file is read before the first attempt, which cannot fail.
class NoSleeper : public Sleeper {
 public:
  void SleepMilliseconds(int32_t) override {}
};

std::string Errorline(std::string_view what, std::string_view detail) {
  std::string out = "mirune mark: ";
  out += what;
  if (!detail.empty()) {
    out += ": ";
    out += detail;
  }
  out += "\n";
  return out;
}

// Saves `document` to `path` and reads the file back: a mark that the saved file does not
// hold would otherwise be lost without a word. Prints what went wrong; false on failure.
bool SaveAndVerify(MarkCommandHosts& hosts, const layout::Document& document,
                   const std::string& path, const indesign::ChangeFormatting& formatting) {
  if (Status saved = hosts.save(document, path); !saved.ok()) {
    hosts.print_err(Errorline("cannot save " + path, saved.message()));
    return false;
  }
  Result<indesign_engine::LoadedItem> reread = hosts.loader.load(path);
  if (!reread.ok() || !reread->document) {
    hosts.print_err(Errorline("the saved file cannot be read back: " + path,
                              reread.ok() ? "not a document" : reread.message()));
    return false;
  }
  const int64_t expected = CountMarkedCharacters(document, formatting);
  const int64_t kept = CountMarkedCharacters(*reread->document, formatting);
  if (kept != expected) {
    hosts.print_err(Errorline("the saved file " + path + " holds " + std::to_string(kept) + " of " +
                                  std::to_string(expected) +
                                  " marked characters; the file format could not keep them all",
                              ""));
    return false;
  }
  hosts.print_out("保存しました: " + path + "\n");
  return true;
}

}  // namespace

Status KeywordFileSource::CheckKeywordWorkbookShown() {
  Result<std::unique_ptr<ExcelWorkbook>> opened = opener_(path_);
  if (!opened.ok()) {
    return Status(opened.code(),
                  "cannot read the keyword workbook " + path_ + ": " + opened.message());
  }
  workbook_ = std::move(*opened);
  return Status::Ok();
}

Result<ExcelWorkbook*> KeywordFileSource::AttachActiveWorkbook() {
  if (!workbook_) {
    return Result<ExcelWorkbook*>(ErrorCode::kInternal, "the keyword workbook was not read");
  }
  return workbook_.get();
}

int RunMarkCommand(const MarkCommandOptions& options, MarkCommandHosts& hosts) {
  // Options a parser cannot check.
  if (options.swatch.empty() == options.style.empty()) {
    hosts.print_err(Errorline("give exactly one of --swatch and --style", ""));
    return kExitError;
  }
  if (options.input.empty() || options.output.empty()) {
    hosts.print_err(Errorline("INPUT and -o OUTPUT are required", ""));
    return kExitError;
  }
  if (SameFile(options.input, options.output)) {
    hosts.print_err(
        Errorline("OUTPUT must differ from INPUT (the input is never written)", options.output));
    return kExitError;
  }
  // The folder that will hold OUTPUT must be there, so a long run does not end unsaved.
  {
    const std::string parent = ParentFolder(options.output);
    if (!parent.empty() && !FolderExists(parent)) {
      hosts.print_err(Errorline("the folder of OUTPUT does not exist", options.output));
      return kExitError;
    }
  }
  const std::string& mark_name = options.swatch.empty() ? options.style : options.swatch;
  if (!IsRazozaMarkName(mark_name)) {
    hosts.print_err(
        "mirune mark: 注意: \"" + mark_name +
        "\" は RazozaMark1〜RazozaMark9 ではないため、索引抽出ではマークとして拾われません。\n");
  }

  indesign::ChangeFormatting formatting;
  formatting.fill_color = options.swatch;
  formatting.applied_character_style = options.style;

  indesign_engine::EngineApplication engine;
  // Every document read gets the swatch or style it lacks, book members included (the job
  // opens those itself).
  indesign_engine::Loader loader = hosts.loader;
  auto inner_load = hosts.loader.load;
  loader.load = [inner_load,
                 formatting](const std::string& path) -> Result<indesign_engine::LoadedItem> {
    MIRUNE_ASSIGN_OR_RETURN(indesign_engine::LoadedItem item, inner_load(path));
    if (item.document) EnsureMarkFormatting(*item.document, formatting);
    return item;
  };
  engine.AddLoader(std::move(loader));

  Result<indesign::OpenedItem> opened = engine.Open(options.input);
  if (!opened.ok()) {
    // The engine's message names the path and the reason.
    hosts.print_err(Errorline(opened.message(), ""));
    return kExitError;
  }
  // The members of a book, to save them afterwards (the job opens them).
  std::vector<std::string> members;
  if (opened->book) {
    Result<int32_t> count = opened->book->ContentCount();
    for (int32_t i = 1; count.ok() && i <= *count; ++i) {
      Result<std::string> member = opened->book->ContentFullName(i);
      if (member.ok()) members.push_back(*member);
    }
    if (FolderExists(options.output) && !members.empty()) {
      for (const std::string& member : members) {
        if (SameFile(JoinPath(options.output, layout::LastPathComponent(member)), member)) {
          hosts.print_err(Errorline("OUTPUT would overwrite a document of the book", member));
          return kExitError;
        }
      }
    }
  }
  std::string document_path;
  if (opened->document) {
    Result<std::string> full_name = opened->document->FullName();
    if (full_name.ok()) document_path = *full_name;
  }
  opened->book.reset();
  opened->document.reset();

  if (Status set = engine.SetChangeFormatting(formatting); !set.ok()) {
    hosts.print_err(Errorline("cannot set the change formatting", set.message()));
    return kExitError;
  }
  if (Status set = engine.SetFindOptions({options.case_sensitive, options.whole_word}); !set.ok()) {
    hosts.print_err(Errorline("cannot set the find options", set.message()));
    return kExitError;
  }

  KeywordFileSource source(options.keywords_path, hosts.open_keywords);
  NoSleeper sleeper;
  JobFlags flags;
  KeywordMarkingHosts job_hosts{engine, source, hosts.desktop, hosts.progress, sleeper, flags, {}};
  const KeywordMarkingResult result = RunKeywordMarking(job_hosts);

  switch (result.outcome) {
    case MarkingOutcome::kFinished:
      break;
    case MarkingOutcome::kCancelled:
      hosts.print_err(Errorline("cancelled; nothing was saved", ""));
      return kExitRefused;
    case MarkingOutcome::kRefused:
      hosts.print_err(Errorline("refused", result.detail));
      return result.message == MarkingMessage::kOpenKeywordWorkbook ? kExitError : kExitRefused;
    case MarkingOutcome::kFailed:
      hosts.print_err(Errorline("marking failed; nothing was saved", result.detail));
      return kExitError;
  }

  hosts.print_out(FormatKeywordReport(result.tallies));

  // Save: one file for a document; for a book, each document under its own file name in the
  // OUTPUT folder.
  if (members.empty()) {
    layout::Document* model = engine.OpenDocumentModel(document_path);
    if (model == nullptr) {
      hosts.print_err(Errorline("the marked document is no longer open", document_path));
      return kExitError;
    }
    if (!SaveAndVerify(hosts, *model, options.output, formatting)) return kExitError;
    return kExitOk;
  }
  if (Status made = CreateFolder(options.output); !made.ok()) {
    hosts.print_err(Errorline("cannot create the folder " + options.output, made.message()));
    return kExitError;
  }
  for (const std::string& member : members) {
    layout::Document* model = engine.OpenDocumentModel(member);
    if (model == nullptr) {
      hosts.print_err(Errorline("a document of the book was not opened", member));
      return kExitError;
    }
    const std::string target = JoinPath(options.output, layout::LastPathComponent(member));
    if (!SaveAndVerify(hosts, *model, target, formatting)) return kExitError;
  }
  return kExitOk;
}

}  // namespace mirune
