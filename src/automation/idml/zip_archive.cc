#include "automation/idml/zip_archive.h"

#include <zip.h>

#include <cstring>
#include <new>

namespace mirune::idml {

namespace {

// Why libzip could not open an archive, in the user's words.
std::string OpenFailure(int code) {
  switch (code) {
    case ZIP_ER_NOZIP:
      return "zip の目録が見つかりません";
    case ZIP_ER_INCONS:
      return "zip の目録が壊れています";
    case ZIP_ER_MEMORY:
      return "メモリーが足りません";
    case ZIP_ER_MULTIDISK:
      return "分割された zip には対応していません";
    default:
      return "zip として読めません";
  }
}

// Why an entry could not be opened for reading.
std::string EntryFailure(int code) {
  switch (code) {
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
      return "暗号化されています";
    case ZIP_ER_COMPNOTSUPP:
      return "対応していない圧縮方式です";
    case ZIP_ER_MEMORY:
      return "メモリーが足りません";
    default:
      return "壊れています";
  }
}

std::string MiB(uint64_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

}  // namespace

bool IsSafeEntryName(std::string_view name) {
  if (name.empty() || name.front() == '/') return false;
  for (const char c : name) {
    if (c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

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
  if (data.empty()) return Error{ErrorCode::kFormatError, "ファイルが空です"};

  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(data.data(), data.size(), 0, &error);
  if (!source) {
    zip_error_fini(&error);
    return Error{ErrorCode::kInternal, "メモリーが足りません"};
  }
  zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (!archive) {
    const int code = zip_error_code_zip(&error);
    zip_error_fini(&error);
    zip_source_free(source);
    return Error{code == ZIP_ER_MEMORY ? ErrorCode::kInternal : ErrorCode::kFormatError,
                 OpenFailure(code)};
  }
  zip_error_fini(&error);
  reader->impl_->archive = archive;

  const zip_int64_t count = zip_get_num_entries(archive, 0);
  if (count < 0 || static_cast<uint64_t>(count) > limits.max_entries) {
    return Error{ErrorCode::kOverflow,
                 "zip の項目が多すぎます（上限 " + std::to_string(limits.max_entries) + "）"};
  }
  reader->entries_.reserve(static_cast<size_t>(count));
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat) != 0 || !stat.name) {
      return Error{ErrorCode::kFormatError, "zip の目録が壊れています"};
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
  if (index < 0) return Error{ErrorCode::kNotFound, "部品 " + key + " がありません"};
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(impl_->archive, static_cast<zip_uint64_t>(index), 0, &stat) == 0 &&
      (stat.valid & ZIP_STAT_SIZE) && stat.size > limits_.max_entry_bytes) {
    return Error{ErrorCode::kOverflow, "部品 " + key + " が大きすぎます（展開後の上限 " +
                                           MiB(limits_.max_entry_bytes) + "）"};
  }
  zip_file_t* file = zip_fopen_index(impl_->archive, static_cast<zip_uint64_t>(index), 0);
  if (!file) {
    const int code = zip_error_code_zip(zip_get_error(impl_->archive));
    return Error{code == ZIP_ER_MEMORY ? ErrorCode::kInternal : ErrorCode::kFormatError,
                 "部品 " + key + " を展開できません（" + EntryFailure(code) + "）"};
  }
  std::string out;
  // The directory's size is a claim, not a fact: read in chunks and stop at the limit.
  char buffer[64 * 1024];
  for (;;) {
    const zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
    if (got < 0) {
      const int code = zip_error_code_zip(zip_file_get_error(file));
      zip_fclose(file);
      const std::string cause =
          code == ZIP_ER_CRC ? "チェックサムが合いません" : EntryFailure(code);
      return Error{code == ZIP_ER_MEMORY ? ErrorCode::kInternal : ErrorCode::kFormatError,
                   "部品 " + key + " を展開できません（" + cause + "）"};
    }
    if (got == 0) break;
    try {
      out.append(buffer, static_cast<size_t>(got));
    } catch (const std::bad_alloc&) {
      zip_fclose(file);
      return Error{ErrorCode::kInternal, "部品 " + key + " を展開するメモリーが足りません"};
    }
    if (out.size() > limits_.max_entry_bytes) {
      zip_fclose(file);
      return Error{ErrorCode::kOverflow, "部品 " + key + " が大きすぎます（展開後の上限 " +
                                             MiB(limits_.max_entry_bytes) + "）"};
    }
    if (total_read_ + out.size() > limits_.max_total_bytes) {
      zip_fclose(file);
      return Error{ErrorCode::kOverflow, "展開した部品の合計が上限 " +
                                             MiB(limits_.max_total_bytes) + " を超えます（部品 " +
                                             key + " で超えました）"};
    }
  }
  if (zip_fclose(file) != 0) {
    return Error{ErrorCode::kFormatError,
                 "部品 " + key + " を展開できません（チェックサムが合いません）"};
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
    return Error{ErrorCode::kInternal, "zip を作れません（メモリーが足りません）"};
  }
  zip_source_keep(target);
  zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
  if (!archive) {
    zip_error_fini(&error);
    zip_source_free(target);
    return Error{ErrorCode::kInternal, "zip を作れません（メモリーが足りません）"};
  }
  zip_error_fini(&error);
  auto fail = [&](const std::string& what) -> Error {
    const int code = zip_error_code_zip(zip_get_error(archive));
    std::string message = what + (code == ZIP_ER_MEMORY ? "（メモリーが足りません）"
                                                        : "（zip の書き込みに失敗しました）");
    zip_discard(archive);
    zip_source_free(target);
    return Error{ErrorCode::kInternal, message};
  };
  for (const Item& item : items_) {
    zip_source_t* source = zip_source_buffer(archive, item.bytes.data(), item.bytes.size(), 0);
    if (!source) return fail("zip に部品 " + item.name + " を追加できません");
    const zip_int64_t index =
        zip_file_add(archive, item.name.c_str(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    if (index < 0) {
      zip_source_free(source);
      return fail("zip に部品 " + item.name + " を追加できません");
    }
    // A fixed time stamp (2000-01-01 00:00) makes the same content give the same bytes.
    if (zip_file_set_dostime(archive, static_cast<zip_uint64_t>(index), 0, (20 << 9) | (1 << 5) | 1,
                             0) != 0) {
      return fail("部品 " + item.name + " の時刻を設定できません");
    }
    const zip_int32_t method = item.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
    if (zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), method, 0) != 0) {
      return fail("部品 " + item.name + " の圧縮方式を設定できません");
    }
  }
  if (zip_close(archive) != 0) return fail("zip を書き終えられません");

  std::string out;
  if (zip_source_open(target) != 0) {
    zip_source_free(target);
    return Error{ErrorCode::kInternal, "作った zip を読み出せません"};
  }
  char buffer[64 * 1024];
  for (;;) {
    const zip_int64_t got = zip_source_read(target, buffer, sizeof buffer);
    if (got < 0) {
      zip_source_close(target);
      zip_source_free(target);
      return Error{ErrorCode::kInternal, "作った zip を読み出せません"};
    }
    if (got == 0) break;
    out.append(buffer, static_cast<size_t>(got));
  }
  zip_source_close(target);
  zip_source_free(target);
  return out;
}

}  // namespace mirune::idml
