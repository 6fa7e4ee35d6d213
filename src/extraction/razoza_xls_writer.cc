#include "extraction/razoza_xls_writer.h"

#include "workbook/razoza_workbook.h"

namespace mirune {

Result<int64_t> MemoryRazozaXlsWriter::WriteRazozaXls(const EntryList& entries,
                                                      const std::string& path,
                                                      ProgressReporter& progress,
                                                      float full_width) {
  WorkbookProgress workbook_progress;
  workbook_progress.reporter = &progress;
  workbook_progress.full_width = full_width;
  MIRUNE_ASSIGN_OR_RETURN(const int32_t rows,
                          mirune::WriteRazozaXls(entries.text(), path, workbook_progress,
                                                 entries.reading_checks(), entries.entry_marks()));
  return static_cast<int64_t>(rows);
}

}  // namespace mirune
