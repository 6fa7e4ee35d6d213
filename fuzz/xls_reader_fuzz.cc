// Fuzz target of the .xls reader path: the bytes as a workbook file, read, re-sorted when it
// has an Org sheet, and written again. Any failure must come back as a Status, never a crash.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "automation/excel_engine/memory_workbook.h"
#include "workbook/razoza_workbook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The reader takes a path: the input goes through one temporary file per process. The
  // stream is opened by the path object, not by narrow text, which Windows would read in the
  // ANSI code page; the reader gets the UTF-8 spelling.
  static const std::filesystem::path file =
      std::filesystem::temp_directory_path() /
      ("mirune_xls_fuzz_" + std::to_string(reinterpret_cast<uintptr_t>(&size) & 0xFFFFFF) + ".xls");
  static const std::string path = [] {
    const std::u8string utf8 = file.u8string();
    return std::string(utf8.begin(), utf8.end());
  }();
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  auto book = mirune::OpenXlsWorkbook(path);
  if (book.ok()) {
    mirune::MemoryWorkbook& workbook = **book;
    (void)mirune::ResortRazozaWorkbook(workbook);
    (void)workbook.ToXlsBytes();
  }
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
  return 0;
}
