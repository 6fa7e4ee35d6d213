// The contract of the Excel interface held by the in-memory engine.

#include "automation/excel_engine/memory_workbook.h"
#include "workbook/testing/excel_contract.h"

namespace mirune {
namespace {

INSTANTIATE_TEST_SUITE_P(Engine, ExcelContractTest,
                         ::testing::Values(ExcelContractParam{
                             "memory", [] { return std::make_unique<MemoryExcel>(); }}),
                         ExcelContractName);

}  // namespace
}  // namespace mirune
