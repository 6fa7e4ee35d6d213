#include "base/file_set.h"

#include "base/file.h"
#include "base/file_internal.h"

namespace mirune {

OutputFileSet::~OutputFileSet() { Discard(); }

void OutputFileSet::Discard() {
  for (const Pending& p : pending_) (void)RemoveFile(p.temporary);
  pending_.clear();
}

Status OutputFileSet::Add(const std::string& path, std::string_view bytes) {
  if (committed_) {
    return Status(ErrorCode::kInternal, path + " を追加できません: 出力の組は既に確定しています");
  }
  MIRUNE_RETURN_IF_ERROR(CheckNew(path));
  auto temporary = internal::WriteTemporary(path, bytes);
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
  auto temporary = internal::WriteTemporary(path, "");
  if (!temporary.ok()) {
    failed_ = true;
    return temporary;
  }
  pending_.push_back({path, *temporary, /*staged=*/true});
  return *temporary;
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
    if (p.staged) MIRUNE_RETURN_IF_ERROR(internal::Flush(p.temporary));
  }

  // A second name for each previous file, so that a move failing half-way through can put
  // back what was already replaced. A file system without hard links gets no such copy.
  struct Previous {
    bool existed = false;
    std::string backup;  // empty: no copy kept
  };
  std::vector<Previous> previous(pending_.size());
  for (size_t i = 0; i < pending_.size(); ++i) {
    previous[i].existed = FileExists(pending_[i].target);
    if (!previous[i].existed) continue;
    auto link = internal::LinkUnderTemporaryName(pending_[i].target);
    if (link.ok()) previous[i].backup = *link;
  }
  const auto drop_backups = [&previous] {
    for (const Previous& p : previous) {
      if (!p.backup.empty()) (void)RemoveFile(p.backup);
    }
  };

  for (size_t i = 0; i < pending_.size(); ++i) {
    Status moved = internal::MoveIntoPlace(pending_[i].temporary, pending_[i].target);
    if (moved.ok()) continue;
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
  drop_backups();
  return Status::Ok();
}

}  // namespace mirune
