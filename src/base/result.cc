#include "base/result.h"

namespace mirune {

const char* ErrorCodeName(ErrorCode code) {
  switch (code) {
    case ErrorCode::kOk:
      return "ok";
    case ErrorCode::kInvalidArgument:
      return "invalid argument";
    case ErrorCode::kNotFound:
      return "not found";
    case ErrorCode::kIoError:
      return "i/o error";
    case ErrorCode::kFormatError:
      return "format error";
    case ErrorCode::kOverflow:
      return "overflow";
    case ErrorCode::kUnsupported:
      return "unsupported";
    case ErrorCode::kCancelled:
      return "cancelled";
    case ErrorCode::kHostError:
      return "host error";
    case ErrorCode::kInternal:
      return "internal error";
  }
  return "unknown";
}

std::string Status::ToString() const {
  if (ok()) return "ok";
  return std::string(ErrorCodeName(error_->code)) + ": " + error_->message;
}

namespace internal {
const std::string& EmptyString() {
  static const std::string kEmpty;
  return kEmpty;
}
}  // namespace internal

}  // namespace mirune
