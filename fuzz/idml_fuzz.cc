// Fuzz target: the IDML package reader, composition and the mapping to the layout model.
// Any input must either be refused with an error or give a sound layout document.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "automation/idml/idml_compose.h"
#include "automation/idml/idml_document.h"
#include "automation/idml/idml_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mirune::idml::ZipLimits limits;
  limits.max_entry_bytes = 8u << 20;
  limits.max_total_bytes = 32u << 20;
  auto package =
      mirune::idml::ReadIdmlPackage(std::string(reinterpret_cast<const char*>(data), size), limits);
  if (!package.ok()) {
    if (package.message().empty()) std::abort();
    return 0;
  }
  const mirune::idml::Composition composition = mirune::idml::Compose(*package);
  const mirune::layout::Document document =
      mirune::idml::ToLayoutDocument(*package, composition, "fuzz.idml");
  const std::string problem = mirune::layout::CheckDocument(document);
  if (!problem.empty()) {
    std::fprintf(stderr, "unsound document: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
