#include "automation/excel_engine/xls/sst_writer.h"

#include <algorithm>

namespace mirune::xls {
namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

struct BucketEntry {
  uint32_t stream_position;
  uint16_t record_offset;
};

}  // namespace

uint16_t ExtSstBucketSize(size_t unique) {
  return static_cast<uint16_t>(std::max<size_t>(unique / 128 + 1, 8));
}

void WriteSst(BiffWriter& out, const std::vector<std::u16string>& strings, uint32_t total) {
  const uint16_t bucket = ExtSstBucketSize(strings.size());
  std::vector<BucketEntry> buckets;

  out.BeginRecord(record::kSst);
  out.U32(total);
  out.U32(static_cast<uint32_t>(strings.size()));
  auto next_record = [&out] {
    out.EndRecord();
    out.BeginRecord(record::kContinue);
  };

  for (size_t i = 0; i < strings.size(); ++i) {
    const std::u16string& s = strings[i];
    const bool compressed = FitsCompressed(s);
    const size_t unit = compressed ? 1 : 2;
    const size_t first_char = (!compressed && s.size() >= 2 && IsHighSurrogate(s[0])) ? 4 : unit;
    if (out.record_length() + 3 + first_char > kMaxRecordData) next_record();
    if (i % bucket == 0) {
      buckets.push_back({static_cast<uint32_t>(out.position()),
                         static_cast<uint16_t>(out.position() - out.record_start())});
    }
    out.U16(static_cast<uint16_t>(s.size()));
    out.U8(compressed ? 0x00 : 0x01);
    size_t done = 0;
    while (done < s.size()) {
      const size_t room = (kMaxRecordData - out.record_length()) / unit;
      size_t take = std::min(s.size() - done, room);
      // Never end a record between the two halves of a surrogate pair.
      if (take > 0 && done + take < s.size() && !compressed &&
          IsHighSurrogate(s[done + take - 1])) {
        --take;
      }
      out.Units(s.data() + done, take, compressed);
      done += take;
      if (done < s.size()) {
        next_record();
        out.U8(compressed ? 0x00 : 0x01);
      }
    }
  }
  out.EndRecord();

  out.BeginRecord(record::kExtSst);
  out.U16(bucket);
  for (const BucketEntry& b : buckets) {
    out.U32(b.stream_position);
    out.U16(b.record_offset);
    out.U16(0);
  }
  out.EndRecord();
}

}  // namespace mirune::xls
