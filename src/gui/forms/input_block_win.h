#pragma once

// The program's other windows taking no input while a job runs or asks something: every
// visible, enabled top-level window of the calling thread, except those named, is disabled
// for the object's life and enabled again at its end. Windows made meanwhile (the job's
// progress and abort windows, its message boxes) are not touched. Blocks nest: an inner one
// leaves alone what an outer one already disabled.

#include <windows.h>

#include <initializer_list>
#include <vector>

namespace mirune {

class InputBlock {
 public:
  // `keep`: windows that stay as they are (null entries are ignored).
  explicit InputBlock(std::initializer_list<HWND> keep = {});
  ~InputBlock();
  InputBlock(const InputBlock&) = delete;
  InputBlock& operator=(const InputBlock&) = delete;

 private:
  std::vector<HWND> disabled_;
};

}  // namespace mirune
