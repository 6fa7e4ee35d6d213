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
// byte.
//
// A kill can come between two moves. So the set keeps a record in the folder of its first file
// (".mirune-XXXXXXXX.set", held locked while the set lives): every temporary name is written
// to it (and flushed) before the file is made, and a line saying that the moves begin before
// the first move. RecoverInterruptedSets, run by the next job before it reads or writes there,
// takes up every record whose owner has ended: before the moves began it removes the set's
// temporaries (the previous files stay whole); once they began, it finishes them from the
// flushed temporaries (the new files are whole), or, when the owner had begun to put the
// previous files back, finishes that. A folder therefore always holds the previous set or the
// new one, whole.

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
  // returned path, which Commit flushes and moves into place like the others. A writer's
  // failure that names the returned path is best passed through NameTargets.
  Result<std::string> Stage(const std::string& path);

  // `status` with every temporary path of the set replaced by the file it stands for: the user
  // reads about Razoza.xls, not about a hidden temporary.
  Status NameTargets(Status status) const;

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
  // Removes every temporary still held, then the record.
  void Discard();
  // Appends one line to the record, creating it (in the folder of `target`) first.
  Status Note(const std::string& target, std::string_view kind, const std::string& first,
              const std::string& second = {});
  void EndRecord();

  std::vector<Pending> pending_;
  bool failed_ = false;
  bool committed_ = false;
  std::string record_path_;
  std::string record_folder_;
  intptr_t record_ = -1;
};

// What RecoverInterruptedSets did.
struct SetRecovery {
  int finished = 0;     // sets whose replacement was finished (the new files put in place)
  int rolled_back = 0;  // sets left as they were before (their temporaries removed)
  // The temporary names that records of running sets hold: not leftovers.
  std::vector<std::string> live_temporaries;
  // For the user (Japanese), one line per set taken up, naming its files.
  std::vector<std::string> notes;
};

// Takes up the records that ended runs left in `folder` (see above). Records of sets that are
// still being written (their owner holds them) are left alone. Fails, naming the files, when a
// set can be neither finished nor put back; its record stays for the next run.
Result<SetRecovery> RecoverInterruptedSets(const std::string& folder);

// RecoverInterruptedSets, then RemoveLeftoverTemporaries (base/file.h) for the temporary names
// no running set holds. For a folder where only this program writes, under the data folder's
// lock. Returns the recovery.
Result<SetRecovery> RecoverFolder(const std::string& folder);

// True for the file name (not a path) of a set's record.
bool IsSetRecordName(std::string_view name);

}  // namespace mirune
