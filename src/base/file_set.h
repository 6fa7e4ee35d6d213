#pragma once

// A set of output files replaced together (the three results of an extraction).
//
//   OutputFileSet set;
//   MIRUNE_RETURN_IF_ERROR(set.Add(doc_path, doc_bytes));
//   MIRUNE_RETURN_IF_ERROR(set.Add(txt_path, txt_bytes));
//   MIRUNE_RETURN_IF_ERROR(set.Commit());
//
// Add writes each file under a short temporary name in its own folder and flushes it to the
// disk; nothing visible changes. Commit moves them into place one after another, each in one
// step; should a move fail, the files already moved get their previous contents back (kept
// under a second name until the end of Commit), so the set is replaced whole or not at all.
// Destroying a set without Commit removes its temporaries: the previous files stay byte for
// byte. A run cut off by a crash or a power cut leaves only temporary names behind, which
// RemoveLeftoverTemporaries (base/file.h) recognises.

#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace mirune {

class OutputFileSet {
 public:
  OutputFileSet() = default;
  ~OutputFileSet();
  OutputFileSet(const OutputFileSet&) = delete;
  OutputFileSet& operator=(const OutputFileSet&) = delete;

  // Writes `bytes` as the new contents of `path`. A path given twice is refused. After a
  // failure the set can no longer be committed.
  Status Add(const std::string& path, std::string_view bytes);

  // Reserves a temporary file in the folder of `path` for a writer that writes files itself
  // (a workbook saved by its engine): the caller writes the new contents of `path` to the
  // returned path, which Commit flushes and moves into place like the others.
  Result<std::string> Stage(const std::string& path);

  // Moves every added file into place, in the order they were added. Only once, and only
  // when every Add succeeded.
  Status Commit();

 private:
  struct Pending {
    std::string target;
    std::string temporary;
    bool staged = false;  // written by the caller: flushed at Commit
  };
  // Refuses a target already in the set.
  Status CheckNew(const std::string& path);
  // Removes every temporary still held.
  void Discard();

  std::vector<Pending> pending_;
  bool failed_ = false;
  bool committed_ = false;
};

}  // namespace mirune
