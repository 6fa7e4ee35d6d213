#pragma once

// The contract of automation/excel.h as the workbook jobs rely on it, as value-parameterised
// tests over a factory of applications: the in-memory engine, and (Windows build) the Excel
// client talking to the test server in the same process and across processes. A test binary
// links mirune_workbook_testing and instantiates the suite with its factory:
//
//   INSTANTIATE_TEST_SUITE_P(Memory, ExcelContractTest,
//                            ::testing::Values(ExcelContractParam{"memory", MakeMemory}));

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "automation/excel.h"

namespace mirune {

struct ExcelContractParam {
  std::string name;
  std::function<std::unique_ptr<ExcelApplication>()> make;
};

class ExcelContractTest : public ::testing::TestWithParam<ExcelContractParam> {
 protected:
  void SetUp() override {
    excel_ = GetParam().make();
    ASSERT_TRUE(excel_) << "no application to test";
  }
  std::unique_ptr<ExcelApplication> excel_;
};

// For INSTANTIATE_TEST_SUITE_P's name generator.
std::string ExcelContractName(const ::testing::TestParamInfo<ExcelContractParam>& info);

}  // namespace mirune
