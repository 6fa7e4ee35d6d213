// Fuzz target of the reading memory's loader. Whatever the bytes of ReadingMemory.txt, the
// loader must return; every term it keeps must be one that Learn would keep; the file written
// back after learning must give the same memory when read again, and the same bytes when
// written again (no line of the user's is lost, changed or doubled).

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "analysis/reading_memory.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto parsed = mirune::ReadingMemory::Parse("ReadingMemory.txt", bytes);
  if (!parsed.ok()) {
    // Only a UTF-16 file cut short is refused.
    Check(size % 2 == 1 && (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF"));
    return 0;
  }
  mirune::ReadingMemory memory = std::move(*parsed);
  Check(memory.warnings().size() <= 21);
  for (const std::string& warning : memory.warnings()) Check(!warning.empty());

  // A term of the file learned anew, and a term of the program's.
  const size_t tab = bytes.find('\t');
  const std::string_view file_term = bytes.substr(0, tab == std::string_view::npos ? 0 : tab);
  const size_t before = memory.size();
  const bool known = memory.Find("索引") != nullptr;
  const bool learned = memory.Learn("索引", "さくいん");
  Check(memory.size() == before + (learned && !known ? 1 : 0));
  const bool file_learned = memory.Learn(file_term, "よみ");
  Check(file_learned == false || mirune::ReadingMemory::ProblemOf(file_term, "よみ").empty());

  const std::string written = memory.ToBytes();
  auto reparsed = mirune::ReadingMemory::Parse("ReadingMemory.txt", written);
  Check(reparsed.ok());
  const mirune::ReadingMemory& again = *reparsed;
  Check(again.size() == memory.size());
  const std::string* reading = again.Find("索引");
  Check(reading != nullptr &&
        *reading == (file_learned && file_term == "索引" ? "よみ" : "さくいん"));
  if (file_learned) {
    const std::string* file_reading = again.Find(file_term);
    Check(file_reading != nullptr && *file_reading == "よみ");
  }
  Check(again.ToBytes() == written);
  return 0;
}
