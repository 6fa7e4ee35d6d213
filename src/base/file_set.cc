#include "base/file_set.h"

#include <algorithm>
#include <set>

#include "base/file.h"
#include "base/file_internal.h"
#include "base/file_platform.h"

namespace mirune {
namespace {

// The record's lines (each flushed before what it announces is done):
//   "mirune-set 1"            first line
//   "T <temporary> <target>"  a temporary about to be made for target
//   "X <temporary>"           that name was taken by someone else: not ours
//   "B <backup> <target>"     a second name about to be made for the previous target
//   "N <target>"              target had no previous file
//   "C"                       every temporary is on the disk; the moves begin
//   "R"                       a move failed; the owner puts the previous files back
//   "D"                       done: only leftovers remain to be removed
// Fields are separated by TAB; a name is relative to the record's folder when it lies there,
// else an absolute path; TAB, CR, LF and "%" are written as %XX.
constexpr std::string_view kRecordHeader = "mirune-set 1";
constexpr std::string_view kRecordSuffix = ".set";

std::string Escape(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\t' || c == '\r' || c == '\n' || c == '%') {
      static constexpr char kHex[] = "0123456789ABCDEF";
      out += '%';
      out += kHex[(static_cast<unsigned char>(c) >> 4) & 15];
      out += kHex[static_cast<unsigned char>(c) & 15];
    } else {
      out += c;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Unescape(std::string_view text, std::string* out) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out->push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int hi = HexDigit(text[i + 1]);
    const int lo = HexDigit(text[i + 2]);
    if (hi < 0 || lo < 0) return false;
    out->push_back(static_cast<char>(hi * 16 + lo));
    i += 2;
  }
  return true;
}

// A path as the record keeps it, relative to `folder` when it lies there.
std::string RecordName(const std::string& folder, const std::string& path) {
  if (AbsolutePath(ParentFolder(path)) == AbsolutePath(folder)) {
    const std::string parent = ParentFolder(path);
    std::string name = path.substr(parent.size());
    while (!name.empty() && (name.front() == '/' || name.front() == '\\')) name.erase(0, 1);
    return name;
  }
  return AbsolutePath(path);
}

std::string PathOf(const std::string& folder, const std::string& name) {
  const bool bare =
      name.find_first_of("/\\") == std::string::npos && !(name.size() >= 2 && name[1] == ':');
  return bare ? JoinPath(folder, name) : name;
}

// The state a record was left in, read from its complete lines.
struct RecordState {
  struct Entry {
    std::string temporary;
    std::string target;
  };
  std::vector<Entry> temporaries;        // in order of the moves
  std::vector<std::string> not_ours;     // names announced and found taken
  std::vector<Entry> backups;            // second names of previous targets
  std::vector<std::string> new_targets;  // targets without a previous file
  bool committing = false;
  bool rolling_back = false;
  bool done = false;
};

// Reads the complete lines of a record; a torn last line (a kill while it was written) and
// anything after a line that cannot be read are ignored: nothing was done on their word.
RecordState ParseRecord(const std::string& folder, std::string_view bytes) {
  RecordState state;
  size_t start = 0;
  bool first = true;
  while (start < bytes.size()) {
    const size_t lf = bytes.find('\n', start);
    if (lf == std::string_view::npos) break;  // torn
    const std::string_view line = bytes.substr(start, lf - start);
    start = lf + 1;
    if (first) {
      if (line != kRecordHeader) break;
      first = false;
      continue;
    }
    std::vector<std::string> fields;
    bool ok = true;
    size_t from = 0;
    while (from <= line.size()) {
      size_t tab = line.find('\t', from);
      if (tab == std::string_view::npos) tab = line.size();
      std::string field;
      ok = ok && Unescape(line.substr(from, tab - from), &field);
      fields.push_back(std::move(field));
      from = tab + 1;
    }
    if (!ok || fields.empty()) break;
    const std::string& kind = fields[0];
    if (kind == "T" && fields.size() == 3) {
      state.temporaries.push_back({PathOf(folder, fields[1]), PathOf(folder, fields[2])});
    } else if (kind == "X" && fields.size() == 2) {
      state.not_ours.push_back(PathOf(folder, fields[1]));
    } else if (kind == "B" && fields.size() == 3) {
      state.backups.push_back({PathOf(folder, fields[1]), PathOf(folder, fields[2])});
    } else if (kind == "N" && fields.size() == 2) {
      state.new_targets.push_back(PathOf(folder, fields[1]));
    } else if (kind == "C" && fields.size() == 1) {
      state.committing = true;
    } else if (kind == "R" && fields.size() == 1) {
      state.rolling_back = true;
    } else if (kind == "D" && fields.size() == 1) {
      state.done = true;
    } else {
      break;
    }
  }
  const auto ours = [&state](const std::string& path) {
    return std::find(state.not_ours.begin(), state.not_ours.end(), path) == state.not_ours.end();
  };
  std::erase_if(state.temporaries, [&](const RecordState::Entry& e) { return !ours(e.temporary); });
  std::erase_if(state.backups, [&](const RecordState::Entry& e) { return !ours(e.temporary); });
  return state;
}

std::string Targets(const RecordState& state) {
  std::string list;
  for (const RecordState::Entry& e : state.temporaries) {
    list += (list.empty() ? "" : "、") + e.target;
  }
  return list;
}

// Takes up one record of a run that ended. Returns whether the new set was put in place.
Result<bool> TakeUp(const RecordState& state) {
  std::string failed;
  const auto note_failure = [&failed](const Status& s) {
    if (!s.ok()) failed += (failed.empty() ? "" : "、") + s.message();
  };
  bool finished = false;
  if (state.committing && !state.rolling_back && !state.done) {
    // Every temporary was on the disk before the first move: finish the moves in order. A
    // temporary no longer there was moved already.
    for (const RecordState::Entry& e : state.temporaries) {
      if (FileExists(e.temporary)) note_failure(internal::MoveIntoPlace(e.temporary, e.target));
    }
    finished = true;
  } else if (state.rolling_back && !state.done) {
    // The owner was putting the previous files back: finish that for every target whose
    // temporary was moved.
    for (const RecordState::Entry& e : state.temporaries) {
      if (FileExists(e.temporary)) continue;
      const auto backup =
          std::find_if(state.backups.begin(), state.backups.end(),
                       [&e](const RecordState::Entry& b) { return b.target == e.target; });
      if (backup != state.backups.end() && FileExists(backup->temporary)) {
        note_failure(internal::MoveIntoPlace(backup->temporary, e.target));
      } else if (std::find(state.new_targets.begin(), state.new_targets.end(), e.target) !=
                 state.new_targets.end()) {
        note_failure(RemoveFile(e.target));
      }
    }
  }
  if (!failed.empty()) {
    return Result<bool>(ErrorCode::kIoError,
                        "前回中断した出力の置き換え（" + Targets(state) + "）を" +
                            (finished ? "完了できません" : "元に戻せません") + ": " + failed);
  }
  // What remains are leftovers: temporaries not moved, second names of previous files.
  for (const RecordState::Entry& e : state.temporaries) (void)RemoveFile(e.temporary);
  for (const RecordState::Entry& e : state.backups) (void)RemoveFile(e.temporary);
  return finished || state.done;
}

}  // namespace

bool IsSetRecordName(std::string_view name) {
  if (name.size() <= kRecordSuffix.size() ||
      name.substr(name.size() - kRecordSuffix.size()) != kRecordSuffix) {
    return false;
  }
  std::string as_temporary(name.substr(0, name.size() - kRecordSuffix.size()));
  as_temporary += ".tmp";
  return IsTemporaryFileName(as_temporary);
}

OutputFileSet::~OutputFileSet() { Discard(); }

void OutputFileSet::Discard() {
  for (const Pending& p : pending_) (void)RemoveFile(p.temporary);
  pending_.clear();
  EndRecord();
}

void OutputFileSet::EndRecord() {
  if (record_ == platform::kNoRecord) return;
  (void)platform::AppendRecord(record_, "D\n");
  (void)platform::RemoveRecord(record_path_, record_);
  record_ = platform::kNoRecord;
}

Status OutputFileSet::Note(const std::string& target, std::string_view kind,
                           const std::string& first, const std::string& second) {
  if (record_ == platform::kNoRecord) {
    record_folder_ = ParentFolder(target);
    if (record_folder_.empty()) record_folder_ = ".";
    platform::ErrorNumber error = 0;
    for (int attempt = 0; attempt < 8; ++attempt) {
      const std::string name = internal::NewTemporaryPath(JoinPath(record_folder_, "x"), attempt);
      record_path_ = name.substr(0, name.size() - 4) + std::string(kRecordSuffix);
      error = platform::CreateRecord(record_path_, &record_);
      if (error == 0 || !platform::IsAlreadyExists(error)) break;
    }
    if (error != 0) {
      record_ = platform::kNoRecord;
      return Status(ErrorCode::kIoError, target + " を書き込めません: 置き換えの記録 " +
                                             record_path_ +
                                             " を作成できません: " + platform::CauseOf(error));
    }
    if (const auto e = platform::AppendRecord(record_, std::string(kRecordHeader) + "\n"); e != 0) {
      (void)platform::RemoveRecord(record_path_, record_);
      record_ = platform::kNoRecord;
      return Status(ErrorCode::kIoError, target + " を書き込めません: 置き換えの記録 " +
                                             record_path_ +
                                             " に書き込めません: " + platform::CauseOf(e));
    }
  }
  std::string line(kind);
  if (!first.empty()) line += "\t" + Escape(RecordName(record_folder_, first));
  if (!second.empty()) line += "\t" + Escape(RecordName(record_folder_, second));
  line += "\n";
  if (const auto error = platform::AppendRecord(record_, line); error != 0) {
    return Status(ErrorCode::kIoError, target + " を書き込めません: 置き換えの記録 " +
                                           record_path_ +
                                           " に書き込めません: " + platform::CauseOf(error));
  }
  return Status::Ok();
}

Status OutputFileSet::Add(const std::string& path, std::string_view bytes) {
  if (committed_) {
    return Status(ErrorCode::kInternal, path + " を追加できません: 出力の組は既に確定しています");
  }
  MIRUNE_RETURN_IF_ERROR(CheckNew(path));
  auto temporary = internal::WriteTemporary(path, bytes, [&](const std::string& temp, bool taken) {
    return taken ? Note(path, "X", temp) : Note(path, "T", temp, path);
  });
  if (!temporary.ok()) {
    failed_ = true;
    return temporary.status();
  }
  pending_.push_back({path, *temporary});
  return Status::Ok();
}

Status OutputFileSet::CheckNew(const std::string& path) {
  for (const Pending& p : pending_) {
    if (p.target == path || SameFile(p.target, path)) {
      failed_ = true;
      return Status(ErrorCode::kInvalidArgument,
                    path + " を書き込めません: 同じファイルが同じ組に二度指定されています");
    }
  }
  return Status::Ok();
}

Result<std::string> OutputFileSet::Stage(const std::string& path) {
  if (committed_) {
    return Result<std::string>(ErrorCode::kInternal,
                               path + " を追加できません: 出力の組は既に確定しています");
  }
  MIRUNE_RETURN_IF_ERROR(CheckNew(path));
  auto temporary = internal::WriteTemporary(path, "", [&](const std::string& temp, bool taken) {
    return taken ? Note(path, "X", temp) : Note(path, "T", temp, path);
  });
  if (!temporary.ok()) {
    failed_ = true;
    return temporary;
  }
  pending_.push_back({path, *temporary, /*staged=*/true});
  return *temporary;
}

Status OutputFileSet::NameTargets(Status status) const {
  if (status.ok()) return status;
  std::string message = status.message();
  for (const Pending& p : pending_) {
    for (size_t at = message.find(p.temporary); at != std::string::npos;
         at = message.find(p.temporary, at + p.target.size())) {
      message.replace(at, p.temporary.size(), p.target);
    }
  }
  return Status(status.code(), message);
}

Status OutputFileSet::Commit() {
  if (committed_) return Status(ErrorCode::kInternal, "出力の組は既に確定しています");
  if (failed_) {
    return Status(ErrorCode::kInvalidArgument,
                  "書き込めなかったファイルがあるため、出力の組を置き換えません");
  }
  committed_ = true;
  // What the caller wrote into staged files reaches the disk before any move.
  for (const Pending& p : pending_) {
    if (p.staged) {
      if (Status flushed = internal::Flush(p.temporary); !flushed.ok()) {
        return NameTargets(flushed);
      }
    }
  }

  // A second name for each previous file, so that a move failing half-way through can put
  // back what was already replaced. A file system without hard links gets no such copy.
  struct Previous {
    bool existed = false;
    std::string backup;  // empty: no copy kept
  };
  std::vector<Previous> previous(pending_.size());
  for (size_t i = 0; i < pending_.size(); ++i) {
    const std::string& target = pending_[i].target;
    previous[i].existed = FileExists(target);
    if (!previous[i].existed) {
      MIRUNE_RETURN_IF_ERROR(Note(target, "N", target));
      continue;
    }
    auto link = internal::LinkUnderTemporaryName(target, [&](const std::string& name, bool taken) {
      return taken ? Note(target, "X", name) : Note(target, "B", name, target);
    });
    if (link.ok()) previous[i].backup = *link;
  }
  const auto drop_backups = [&previous] {
    for (const Previous& p : previous) {
      if (!p.backup.empty()) (void)RemoveFile(p.backup);
    }
  };
  // From here on a kill leaves a record that the next run finishes from.
  if (!pending_.empty()) {
    if (Status noted = Note(pending_.front().target, "C", {}); !noted.ok()) {
      drop_backups();
      return noted;
    }
  }

  for (size_t i = 0; i < pending_.size(); ++i) {
    Status moved = internal::MoveIntoPlace(pending_[i].temporary, pending_[i].target);
    if (moved.ok()) continue;
    // Putting back: a kill from here on is finished as a putting back.
    (void)Note(pending_[i].target, "R", {});
    // The move itself may have happened (only flushing the folder failed).
    const size_t done = FileExists(pending_[i].temporary) ? i : i + 1;
    std::string not_restored;
    for (size_t j = 0; j < done; ++j) {
      const Pending& p = pending_[j];
      Status back =
          previous[j].backup.empty()
              ? (previous[j].existed ? Status(ErrorCode::kIoError, "") : RemoveFile(p.target))
              : internal::MoveIntoPlace(previous[j].backup, p.target);
      if (back.ok()) {
        previous[j].backup.clear();
      } else {
        not_restored += (not_restored.empty() ? "" : "、") + p.target;
      }
    }
    drop_backups();
    Discard();
    std::string message = moved.message();
    if (done > 0) {
      message += not_restored.empty()
                     ? "（先に置き換えたファイルは元に戻しました）"
                     : "（" + not_restored + " は新しい内容に置き換わったままです）";
    }
    return Status(ErrorCode::kIoError, message);
  }
  pending_.clear();
  // Done before the second names go: a kill in between leaves only leftovers to remove.
  if (record_ != platform::kNoRecord) (void)platform::AppendRecord(record_, "D\n");
  drop_backups();
  EndRecord();
  return Status::Ok();
}

Result<SetRecovery> RecoverInterruptedSets(const std::string& folder) {
  SetRecovery recovery;
  MIRUNE_ASSIGN_OR_RETURN(const std::vector<FolderEntry> entries, ListFolder(folder));
  for (const FolderEntry& entry : entries) {
    if (entry.kind != PathKind::kFile || !IsSetRecordName(entry.name)) continue;
    const std::string path = JoinPath(folder, entry.name);
    platform::RecordHandle handle = platform::kNoRecord;
    bool busy = false;
    if (const auto error = platform::LockRecord(path, &handle, &busy); error != 0) {
      if (busy) {
        // A set being written now: its temporaries are no leftovers.
        if (auto bytes = ReadFileBytes(path); bytes.ok()) {
          for (const auto& e : ParseRecord(folder, *bytes).temporaries) {
            recovery.live_temporaries.push_back(e.temporary);
          }
          for (const auto& e : ParseRecord(folder, *bytes).backups) {
            recovery.live_temporaries.push_back(e.temporary);
          }
        }
        continue;
      }
      if (!FileExists(path)) continue;  // finished by its owner meanwhile
      return Result<SetRecovery>(ErrorCode::kIoError,
                                 "前回中断した出力の置き換えの記録 " + path +
                                     " を開けません: " + platform::CauseOf(error));
    }
    std::string bytes;
    if (const auto error = platform::ReadRecord(handle, &bytes); error != 0) {
      platform::CloseRecord(handle);
      return Result<SetRecovery>(ErrorCode::kIoError,
                                 "前回中断した出力の置き換えの記録 " + path +
                                     " を読めません: " + platform::CauseOf(error));
    }
    const RecordState state = ParseRecord(folder, bytes);
    auto taken = TakeUp(state);
    if (!taken.ok()) {
      platform::CloseRecord(handle);
      return Result<SetRecovery>(taken.code(), taken.message());
    }
    if (!state.temporaries.empty()) {
      if (*taken) {
        ++recovery.finished;
        if (!state.done) {
          recovery.notes.push_back("前回中断した出力の置き換えを完了しました: " + Targets(state));
        }
      } else {
        ++recovery.rolled_back;
        recovery.notes.push_back(
            "前回中断した出力の書き込みを取り消し、前の内容のままにしました: " + Targets(state));
      }
    }
    (void)platform::RemoveRecord(path, handle);
  }
  return recovery;
}

Result<SetRecovery> RecoverFolder(const std::string& folder) {
  MIRUNE_ASSIGN_OR_RETURN(SetRecovery recovery, RecoverInterruptedSets(folder));
  std::vector<std::string> keep;
  for (const std::string& path : recovery.live_temporaries) {
    const std::string parent = ParentFolder(path);
    keep.push_back(path.substr(parent.size() + (parent.empty() ? 0 : 1)));
  }
  MIRUNE_RETURN_IF_ERROR(RemoveLeftoverTemporaries(folder, keep).status());
  return recovery;
}

}  // namespace mirune
