#pragma once

// Reading and writing the zip container of an IDML package (libzip). Parts are read whole
// into memory; every read is bounded so that a damaged or hostile package (an entry that
// claims or inflates to gigabytes, a zip bomb) fails cleanly instead of exhausting memory.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace mirune::idml {

struct ZipLimits {
  uint64_t max_entry_bytes = 128ull << 20;  // inflated size of one part
  uint64_t max_total_bytes = 512ull << 20;  // inflated size of every part read together
  uint64_t max_entries = 100000;
};

// One stored entry: its name and how it is stored.
struct ZipEntry {
  std::string name;
  bool stored = false;  // true: no compression
  uint64_t size = 0;    // inflated size as the directory claims it (not trusted for reads)
};

// False for an entry name that could leave the folder it is unpacked into or means a
// different place on another system: empty, absolute ("/x", "\\server\x"), with a drive
// letter or any ':' ("C:x"), with a backslash, a control character, or a ".." component.
// Such names never occur in a package InDesign writes.
bool IsSafeEntryName(std::string_view name);

// A zip archive held in memory. Not copyable; reads are not thread-safe.
class ZipReader {
 public:
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  // Opens the archive in `bytes` (kept by the reader). Fails with kFormatError when the
  // bytes are not a zip archive.
  static Result<std::unique_ptr<ZipReader>> Open(std::string bytes, ZipLimits limits = {});

  // Entries in the order of the central directory.
  const std::vector<ZipEntry>& entries() const { return entries_; }
  bool Contains(std::string_view name) const;

  // The inflated bytes of entry `name`. kNotFound when absent; kOverflow when it inflates past
  // the per-entry or the total limit; kFormatError when it cannot be inflated (damaged data,
  // bad checksum, encryption).
  Result<std::string> Read(std::string_view name);

 private:
  ZipReader() = default;
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::vector<ZipEntry> entries_;
  ZipLimits limits_;
  uint64_t total_read_ = 0;
};

// Builds a zip archive in memory; entries are written in the order they are added, each with
// the same fixed time stamp, so that equal content gives equal bytes.
class ZipWriter {
 public:
  // `stored` keeps the bytes uncompressed (the package's "mimetype" entry must be).
  void Add(std::string name, std::string bytes, bool stored = false);
  // The finished archive.
  Result<std::string> Finish() const;

 private:
  struct Item {
    std::string name;
    std::string bytes;
    bool stored;
  };
  std::vector<Item> items_;
};

}  // namespace mirune::idml
