#pragma once

// The platform half of base/file.h: one implementation per platform (file_posix.cc,
// file_win.cc). Internal to src/base. Functions report the system's own error code
// (errno, or GetLastError on Windows), 0 for success; file.cc turns it into the message.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/file.h"

namespace mirune::platform {

using ErrorNumber = unsigned long;

// Japanese cause of an error code of this platform.
std::string CauseOf(ErrorNumber error);
// True when the code says the name is taken (creating a new file exclusively).
bool IsAlreadyExists(ErrorNumber error);

enum class NodeKind { kMissing, kBrokenLink, kFile, kFolder, kFifo, kDevice, kSocket, kOther };

struct NodeInfo {
  NodeKind kind = NodeKind::kMissing;
  uint64_t size = 0;
  // Which file it is: device and inode, or volume serial and file index.
  uint64_t volume = 0;
  uint64_t index = 0;
  bool identified = false;  // volume and index were read
  bool read_only = false;   // no write permission for the owner; the read-only attribute
};

// What `path` names, following links, without opening it in a way that can block.
// A missing path (or a missing folder on the way) is kMissing with success.
ErrorNumber Inspect(const std::string& path, NodeInfo* info);

enum class Step { kOpen, kKind, kSize, kRead, kCreate, kWrite, kFlush, kRename, kSyncFolder };

struct Failure {
  Step step = Step::kOpen;
  ErrorNumber error = 0;
};

// Reads a regular file of at most `max_bytes` bytes into `bytes`, or only its first `head`
// bytes. On failure at kKind `info` says what the path is; at kSize it holds the size found.
bool ReadRegularFile(const std::string& path, uint64_t max_bytes, std::string* bytes,
                     NodeInfo* info, Failure* failure, uint64_t head = UINT64_MAX);

// Creates `path`, which must not exist, writes `bytes` and flushes them to the disk.
// A file may be left behind on failure (the caller removes it).
bool WriteNewFile(const std::string& path, std::string_view bytes, Failure* failure);

// Flushes an existing file's contents to the disk.
ErrorNumber FlushFile(const std::string& path);

// Renames `from` over `to` in one step and makes the change durable (the folder's entry
// flushed, or a write-through move). kSyncFolder: renamed, but not known to be on the disk.
bool RenameDurably(const std::string& from, const std::string& to, Failure* failure);

// A second name for an existing file in the same folder.
ErrorNumber HardLink(const std::string& existing, const std::string& link);

ErrorNumber RemovePath(const std::string& path);
ErrorNumber MakeFolder(const std::string& path);
ErrorNumber ReadFolder(const std::string& path, std::vector<FolderEntry>* entries);
// Absolute, with "." and ".." resolved by text; links are not followed.
std::string Absolute(const std::string& path);
// Whether two absolute paths spell the same place (without case on Windows).
bool SamePathText(const std::string& a, const std::string& b);

std::string ProgramFolder();
unsigned long ProcessId();

// A record of an output set being replaced (base/file_set.cc): a file that its owner holds
// locked for as long as it lives, so that a later run can tell a record of a live process from
// one left by a killed run. The lock goes with the process: a kill releases it.
using RecordHandle = intptr_t;
inline constexpr RecordHandle kNoRecord = -1;
// Creates `path` (which must not exist) and locks it. A name found taken, or lost to another
// run in the moment before the lock, answers as IsAlreadyExists: the caller tries another.
ErrorNumber CreateRecord(const std::string& path, RecordHandle* handle);
// Appends `bytes` to the record and flushes them to the disk.
ErrorNumber AppendRecord(RecordHandle handle, std::string_view bytes);
// Opens an existing record and locks it. `busy` is set (and an error returned) when another
// process holds it.
ErrorNumber LockRecord(const std::string& path, RecordHandle* handle, bool* busy);
// The whole contents of a locked record.
ErrorNumber ReadRecord(RecordHandle handle, std::string* bytes);
// Removes the record and lets go of it.
ErrorNumber RemoveRecord(const std::string& path, RecordHandle handle);
void CloseRecord(RecordHandle handle);

}  // namespace mirune::platform
