#pragma once

// Japanese text of an operating-system error code, for the cause part of a file message
// ("…を書き込めません: ディスクの空きがありません"). Every file helper of base translates its
// errors here, so the wording of the system or of a library never reaches the user.
// Both functions are pure and portable: Windows codes are plain numbers here, so the table is
// tested in both builds.

#include <string>

namespace mirune {

// A POSIX errno value (ENOSPC, EACCES …). Unknown values give a text naming the number.
std::string ErrnoCause(int errno_value);

// A Windows system error code as GetLastError returns it (ERROR_DISK_FULL …). Unknown values
// give a text naming the number.
std::string WindowsErrorCause(unsigned long error);

}  // namespace mirune
