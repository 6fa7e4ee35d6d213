#pragma once

// The workbook output of the extraction on the in-memory Excel engine: Razoza.xls from the
// job's entry list.

#include "extraction/extraction_job.h"

namespace mirune {

class MemoryRazozaXlsWriter : public ResultWorkbookWriter {
 public:
  Result<int64_t> WriteRazozaXls(const EntryList& entries, const std::string& path,
                                 ProgressReporter& progress, float full_width) override;
};

}  // namespace mirune
