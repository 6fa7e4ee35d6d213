// Placing tagged text: any bytes are placed or refused, never a crash, and what is placed is
// a document the builder accepts.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "automation/indesign_engine/tagged_text_place.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  mirune::layout::PlaceOptions options;
  options.paragraphs_per_page = 3;
  (void)mirune::layout::PlaceTaggedText(bytes, "/fuzz/placed.indd", options);
  return 0;
}
