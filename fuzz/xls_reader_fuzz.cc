// Fuzz target of the .xls reader path: the bytes as a workbook file, read, re-sorted when it
// has an Org sheet, and written again. Any failure must come back as a Status, never a crash.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "automation/excel_engine/memory_workbook.h"
#include "workbook/razoza_workbook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The reader takes a path: the input goes through one temporary file per process.
  static const std::string path =
      (std::filesystem::temp_directory_path() /
       ("mirune_xls_fuzz_" + std::to_string(reinterpret_cast<uintptr_t>(&size) & 0xFFFFFF) +
        ".xls"))
          .string();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  auto book = mirune::OpenXlsWorkbook(path);
  if (book.ok()) {
    mirune::MemoryWorkbook& workbook = **book;
    (void)mirune::ResortRazozaWorkbook(workbook);
    (void)workbook.ToXlsBytes();
  }
  std::remove(path.c_str());
  return 0;
}
