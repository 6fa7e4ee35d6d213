#include "gui/index_choices.h"

#include <iterator>

#include "gui/help_layout.h"

namespace mirune::help {
namespace {

// The entry `index` of `list`, or the first.
template <size_t N>
std::string_view Pick(const std::string_view (&list)[N], int index) {
  return index >= 0 && static_cast<size_t>(index) < N ? list[index] : list[0];
}

}  // namespace

IndexRequest IndexRequestOf(const IndexChoices& choices) {
  using namespace help_form;  // NOLINT: the lists of the dialog
  IndexRequest request;
  request.input = choices.workbook;
  request.sheet = choices.sheet == 1 || choices.sheet == 2
                      ? std::string(Pick(kSheetChoices, choices.sheet))
                      : std::string();
  request.options.headings = choices.headings == 1   ? KanaHeadings::kEachKana
                             : choices.headings == 2 ? KanaHeadings::kNone
                                                     : KanaHeadings::kRows;
  request.options.others =
      choices.others == 1 ? OtherGroupsPlace::kBeforeKana : OtherGroupsPlace::kAfterKana;
  request.options.range_mark = std::string(Pick(kRangeMarks, choices.range_mark));
  request.options.page_separator = std::string(Pick(kSeparators, choices.separator));
  request.options.text_pages_first = choices.text_pages != 1;
  request.by_mark = choices.by_mark;
  return request;
}

}  // namespace mirune::help
