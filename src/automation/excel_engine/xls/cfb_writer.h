#pragma once

// The compound-file container (version 3, 512-byte sectors) around one stream named
// "Workbook": header, the stream's sectors, one directory sector, the FAT and, when the FAT
// needs more than the header's 109 entries (files past about 6.8 MB), DIFAT sectors.

#include <string>
#include <string_view>

namespace mirune::xls {

// A stream shorter than the mini-stream cutoff (4,096 bytes) is padded with zeros to 4,096
// bytes so that it lives in ordinary sectors; BIFF readers stop at the final EOF record.
std::string WrapInCompoundFile(std::string_view workbook_stream);

}  // namespace mirune::xls
