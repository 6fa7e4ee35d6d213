#pragma once

// Japanese text of the HRESULT codes that automation calls return, for the cause part of a
// host message ("InDesign の Documents.Item(1) が失敗しました（0x8002000B: 番号が範囲外です）").
// Codes are plain numbers here, so the table is portable and tested in both builds.

#include <cstdint>
#include <string>

namespace mirune::com {

// "0x80020009": the code as eight upper-case hex digits.
std::string HresultHex(uint32_t hresult);

// The Japanese cause of a code. Unknown codes give a general text; the caller shows the code
// beside it.
std::string HresultCause(uint32_t hresult);

// "0x8002000B: 番号が範囲外です".
std::string HresultDetail(uint32_t hresult);

}  // namespace mirune::com
