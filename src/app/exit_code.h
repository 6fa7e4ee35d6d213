#pragma once

// The process exit codes of every job launched from the command line, in one place. The
// launches map their outcomes onto these; the command line returns them.

namespace mirune {

enum class ExitCode : int {
  kOk = 0,       // the job ended normally with its results written
  kRefused = 1,  // a check refused the job, the user cancelled or stopped it, or it found
                 // nothing to write
  kError = 2,    // bad input, a failed job or a failed save
};

inline int ToProcessExitCode(ExitCode code) { return static_cast<int>(code); }

}  // namespace mirune
