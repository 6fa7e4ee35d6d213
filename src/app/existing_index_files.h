#pragma once

// The files an earlier finished index left under the outputs' base (BASE.txt,
// BASE-tagged.txt, BASE.xls, BASE.idml, and BASE-N… of one index per mark), so that the
// window can ask before writing over them.

#include <string>
#include <vector>

namespace mirune {

// The files in BASE's folder named BASE's name followed by "." or "-" and ending in ".txt",
// ".xls" or ".idml" (case-blind), as full paths in name order; empty when there are none or
// the folder cannot be read.
std::vector<std::string> ExistingIndexFiles(const std::string& base);

}  // namespace mirune
