#pragma once

// The keyword workbook as a file: reading it is the first check of the marking job (a file
// that cannot be read stands where "Keyword.xls is not open" stands on the desktop), and
// attaching hands out the workbook read.

#include <functional>
#include <memory>
#include <string>

#include "automation/excel.h"
#include "base/result.h"
#include "marking/keyword_marking.h"

namespace mirune {

class KeywordFileSource : public KeywordWorkbookSource {
 public:
  using Opener = std::function<Result<std::unique_ptr<ExcelWorkbook>>(const std::string&)>;
  KeywordFileSource(std::string path, Opener opener)
      : path_(std::move(path)), opener_(std::move(opener)) {}

  Status CheckKeywordWorkbookShown() override;
  Result<ExcelWorkbook*> AttachActiveWorkbook() override;

 private:
  std::string path_;
  Opener opener_;
  std::unique_ptr<ExcelWorkbook> workbook_;
};

}  // namespace mirune
