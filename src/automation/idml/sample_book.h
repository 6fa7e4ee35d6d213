#pragma once

// The bundled sample book: a short Japanese book of three chapters with marked index terms,
// built in code and saved as IDML under samples/book/ (tools/make_sample_book.cc writes it;
// sample_book_test checks the committed files against this code).
//
// What it holds (pages are the displayed page numbers):
//   chapter1.idml  pages 1–2   main story threaded over two frames, split by a frame break;
//                              a sidebar on page 2 whose text ends with a marked term.
//   chapter2.idml  pages 3–5   main story threaded over three frames without breaks (its split
//                              is the estimate); a term runs from the frame on page 3 into the
//                              frame on page 4; a term ends exactly at the end of the frame on
//                              page 4.
//   chapter3.idml  pages 6–7   one story per page; a term that appears on both pages.
// Marks: swatch RazozaMark1, colour-only character style RazozaMark2 (its colour a swatch of
// another name), swatch RazozaMark3; an unnamed colour and a colour named "赤" on unmarked text.

#include <string>
#include <vector>

#include "automation/indesign_engine/layout_model.h"
#include "base/result.h"

namespace mirune::idml {

struct SampleChapter {
  std::string file_name;  // "chapter1.idml"
  layout::Document document;
};

// The chapters, their documents named `folder`/file_name.
Result<std::vector<SampleChapter>> BuildSampleBook(const std::string& folder);

}  // namespace mirune::idml
