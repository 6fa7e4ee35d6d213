#include "automation/idml/zip_archive.h"

#include <zip.h>

#include <cstring>

namespace mirune::idml {

namespace {

std::string LibzipMessage(zip_error_t* error) {
  const char* text = zip_error_strerror(error);
  return text ? text : "unknown zip error";
}

}  // namespace

struct ZipReader::Impl {
  std::string bytes;
  zip_t* archive = nullptr;
};

ZipReader::~ZipReader() {
  if (impl_ && impl_->archive) zip_discard(impl_->archive);
}

Result<std::unique_ptr<ZipReader>> ZipReader::Open(std::string bytes, ZipLimits limits) {
  std::unique_ptr<ZipReader> reader(new ZipReader());
  reader->limits_ = limits;
  reader->impl_ = std::make_unique<Impl>();
  reader->impl_->bytes = std::move(bytes);
  const std::string& data = reader->impl_->bytes;
  if (data.empty()) return Error{ErrorCode::kFormatError, "not a zip archive (the file is empty)"};

  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(data.data(), data.size(), 0, &error);
  if (!source) {
    std::string message = LibzipMessage(&error);
    zip_error_fini(&error);
    return Error{ErrorCode::kInternal, "cannot read the package: " + message};
  }
  zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (!archive) {
    std::string message = LibzipMessage(&error);
    zip_error_fini(&error);
    zip_source_free(source);
    return Error{ErrorCode::kFormatError, "not a zip archive (" + message + ")"};
  }
  zip_error_fini(&error);
  reader->impl_->archive = archive;

  const zip_int64_t count = zip_get_num_entries(archive, 0);
  if (count < 0 || static_cast<uint64_t>(count) > limits.max_entries) {
    return Error{ErrorCode::kOverflow, "the package holds too many entries"};
  }
  reader->entries_.reserve(static_cast<size_t>(count));
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat) != 0 || !stat.name) {
      return Error{ErrorCode::kFormatError, "damaged zip directory"};
    }
    ZipEntry entry;
    entry.name = stat.name;
    entry.stored = (stat.valid & ZIP_STAT_COMP_METHOD) && stat.comp_method == ZIP_CM_STORE;
    entry.size = (stat.valid & ZIP_STAT_SIZE) ? stat.size : 0;
    reader->entries_.push_back(std::move(entry));
  }
  return reader;
}

bool ZipReader::Contains(std::string_view name) const {
  for (const ZipEntry& entry : entries_) {
    if (entry.name == name) return true;
  }
  return false;
}

Result<std::string> ZipReader::Read(std::string_view name) {
  const std::string key(name);
  const zip_int64_t index = zip_name_locate(impl_->archive, key.c_str(), 0);
  if (index < 0) return Error{ErrorCode::kNotFound, "missing part " + key};
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(impl_->archive, static_cast<zip_uint64_t>(index), 0, &stat) == 0 &&
      (stat.valid & ZIP_STAT_SIZE) && stat.size > limits_.max_entry_bytes) {
    return Error{ErrorCode::kOverflow, "part " + key + " is larger than the limit of " +
                                           std::to_string(limits_.max_entry_bytes >> 20) + " MiB"};
  }
  zip_file_t* file = zip_fopen_index(impl_->archive, static_cast<zip_uint64_t>(index), 0);
  if (!file) {
    return Error{ErrorCode::kFormatError,
                 "part " + key + " cannot be read (" + zip_strerror(impl_->archive) + ")"};
  }
  std::string out;
  // The directory's size is a claim, not a fact: read in chunks and stop at the limit.
  char buffer[64 * 1024];
  for (;;) {
    const zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
    if (got < 0) {
      std::string message = zip_file_strerror(file);
      zip_fclose(file);
      return Error{ErrorCode::kFormatError, "part " + key + " is damaged (" + message + ")"};
    }
    if (got == 0) break;
    out.append(buffer, static_cast<size_t>(got));
    if (out.size() > limits_.max_entry_bytes) {
      zip_fclose(file);
      return Error{ErrorCode::kOverflow, "part " + key + " inflates past the limit of " +
                                             std::to_string(limits_.max_entry_bytes >> 20) +
                                             " MiB"};
    }
    if (total_read_ + out.size() > limits_.max_total_bytes) {
      zip_fclose(file);
      return Error{ErrorCode::kOverflow, "the package inflates past the limit of " +
                                             std::to_string(limits_.max_total_bytes >> 20) +
                                             " MiB (at part " + key + ")"};
    }
  }
  if (zip_fclose(file) != 0) {
    return Error{ErrorCode::kFormatError, "part " + key + " is damaged (checksum)"};
  }
  total_read_ += out.size();
  return out;
}

void ZipWriter::Add(std::string name, std::string bytes, bool stored) {
  items_.push_back(Item{std::move(name), std::move(bytes), stored});
}

Result<std::string> ZipWriter::Finish() const {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
  if (!target) {
    zip_error_fini(&error);
    return Error{ErrorCode::kInternal, "cannot create the zip buffer"};
  }
  zip_source_keep(target);
  zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
  if (!archive) {
    std::string message = LibzipMessage(&error);
    zip_error_fini(&error);
    zip_source_free(target);
    return Error{ErrorCode::kInternal, "cannot create the zip archive: " + message};
  }
  zip_error_fini(&error);
  auto fail = [&](const std::string& what) -> Error {
    std::string message = what + ": " + zip_strerror(archive);
    zip_discard(archive);
    zip_source_free(target);
    return Error{ErrorCode::kInternal, message};
  };
  for (const Item& item : items_) {
    zip_source_t* source = zip_source_buffer(archive, item.bytes.data(), item.bytes.size(), 0);
    if (!source) return fail("cannot add " + item.name);
    const zip_int64_t index =
        zip_file_add(archive, item.name.c_str(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    if (index < 0) {
      zip_source_free(source);
      return fail("cannot add " + item.name);
    }
    // A fixed time stamp (2000-01-01 00:00) makes the same content give the same bytes.
    if (zip_file_set_dostime(archive, static_cast<zip_uint64_t>(index), 0, (20 << 9) | (1 << 5) | 1,
                             0) != 0) {
      return fail("cannot set the time of " + item.name);
    }
    const zip_int32_t method = item.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
    if (zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), method, 0) != 0) {
      return fail("cannot set the compression of " + item.name);
    }
  }
  if (zip_close(archive) != 0) return fail("cannot finish the zip archive");

  std::string out;
  if (zip_source_open(target) != 0) {
    zip_source_free(target);
    return Error{ErrorCode::kInternal, "cannot read back the zip archive"};
  }
  char buffer[64 * 1024];
  for (;;) {
    const zip_int64_t got = zip_source_read(target, buffer, sizeof buffer);
    if (got < 0) {
      zip_source_close(target);
      zip_source_free(target);
      return Error{ErrorCode::kInternal, "cannot read back the zip archive"};
    }
    if (got == 0) break;
    out.append(buffer, static_cast<size_t>(got));
  }
  zip_source_close(target);
  zip_source_free(target);
  return out;
}

}  // namespace mirune::idml
