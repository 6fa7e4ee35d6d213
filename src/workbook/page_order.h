#pragma once

// The order of a term's pages in an index: the folded page lists of the workbook and the
// finished index list them alike.

#include <string>
#include <vector>

namespace mirune {

// Where page names such as "iv" go unless the user chooses otherwise: before the numbers.
inline constexpr bool kTextPagesFirstByDefault = true;

// The page fields of one term (PageField::text: "12", "iv", "A-3") as an index lists them:
// each page once; the page numbers ascending by value; the pages that are no page number
// in book order, before the numbers when `text_pages_first`, else after them. Book order is
// the order of `book_order` (the page names in the order the book first has them); names it
// does not hold follow in the order given. Empty fields are left out.
std::vector<std::string> OrderedPageList(const std::vector<std::string>& pages,
                                         bool text_pages_first,
                                         const std::vector<std::string>& book_order = {});

}  // namespace mirune
