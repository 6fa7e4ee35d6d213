#include "workbook/page_order.h"

#include <algorithm>
#include <utility>

#include "analysis/page_field.h"

namespace mirune {

std::vector<std::string> OrderedPageList(const std::vector<std::string>& pages,
                                         bool text_pages_first,
                                         const std::vector<std::string>& book_order) {
  std::vector<std::pair<double, std::string>> numbers;  // the number and the page as written
  std::vector<std::string> others;
  for (const std::string& name : pages) {
    const PageField page = PageField::FromName(name);
    if (page.empty()) continue;
    if (page.is_number()) {
      numbers.emplace_back(page.number(), page.text());
    } else if (std::find(others.begin(), others.end(), page.text()) == others.end()) {
      others.push_back(page.text());
    }
  }
  std::stable_sort(numbers.begin(), numbers.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  numbers.erase(std::unique(numbers.begin(), numbers.end(),
                            [](const auto& a, const auto& b) { return a.first == b.first; }),
                numbers.end());
  if (!book_order.empty()) {
    auto rank = [&book_order](const std::string& name) {
      return std::find(book_order.begin(), book_order.end(), name) - book_order.begin();
    };
    std::stable_sort(others.begin(), others.end(),
                     [&](const std::string& a, const std::string& b) { return rank(a) < rank(b); });
  }
  std::vector<std::string> ordered;
  if (text_pages_first) ordered = others;
  for (auto& number : numbers) ordered.push_back(std::move(number.second));
  if (!text_pages_first) ordered.insert(ordered.end(), others.begin(), others.end());
  return ordered;
}

}  // namespace mirune
