#pragma once

// Result types of the core. No exception crosses a module boundary: an operation that can
// fail returns a Status or a Result<T> holding an error code and a message for the user
// (on the command line, the detail printed after the job's own message).

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace mirune {

enum class ErrorCode {
  kOk = 0,
  kInvalidArgument,  // bad input from the caller or the user
  kNotFound,         // a file, sheet, page, story or collection item that is not there
  kIoError,          // the file system refused (read-only, locked, disk full)
  kFormatError,      // input that is not what it claims to be (damaged file, bad encoding)
  kOverflow,         // a count or a limit of a format was passed
  kUnsupported,      // the operation needs something this build or machine lacks
  kCancelled,        // the user said no or aborted
  kHostError,        // the host application (InDesign, Excel) reported a failure
  kInternal,         // a broken invariant of the program itself
};

// Short English name of a code, for messages and test output.
const char* ErrorCodeName(ErrorCode code);

struct Error {
  ErrorCode code = ErrorCode::kInternal;
  std::string message;
};

// Success or an Error.
class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(Error error) : error_(std::move(error)) {}  // NOLINT: implicit by design
  Status(ErrorCode code, std::string message) : error_(Error{code, std::move(message)}) {}

  static Status Ok() { return Status(); }

  bool ok() const { return !error_.has_value(); }
  explicit operator bool() const { return ok(); }
  ErrorCode code() const { return error_ ? error_->code : ErrorCode::kOk; }
  // Empty when ok().
  const std::string& message() const;
  // Precondition: !ok().
  const Error& error() const { return *error_; }

  // "code: message", or "ok".
  std::string ToString() const;

 private:
  std::optional<Error> error_;
};

// A value of type T or an Error.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : data_(std::move(value)) {}      // NOLINT: implicit by design
  Result(Error error) : data_(std::move(error)) {}  // NOLINT
  Result(ErrorCode code, std::string message) : data_(Error{code, std::move(message)}) {}
  // Precondition: !status.ok().
  Result(const Status& status) : data_(status.error()) {}  // NOLINT

  bool ok() const { return data_.index() == 0; }
  explicit operator bool() const { return ok(); }

  // Precondition: ok().
  T& value() & { return std::get<0>(data_); }
  const T& value() const& { return std::get<0>(data_); }
  // By value, so that `for (auto& x : F().value())` does not dangle on a temporary.
  T value() && { return std::get<0>(std::move(data_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T operator*() && { return std::move(*this).value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  // Precondition: !ok().
  const Error& error() const { return std::get<1>(data_); }
  ErrorCode code() const { return ok() ? ErrorCode::kOk : error().code; }
  const std::string& message() const;
  Status status() const { return ok() ? Status() : Status(error()); }

 private:
  std::variant<T, Error> data_;
};

namespace internal {
const std::string& EmptyString();
}

inline const std::string& Status::message() const {
  return error_ ? error_->message : internal::EmptyString();
}

template <typename T>
const std::string& Result<T>::message() const {
  return ok() ? internal::EmptyString() : error().message;
}

}  // namespace mirune

// Returns from the enclosing function when a Status-returning expression fails.
#define MIRUNE_RETURN_IF_ERROR(expr)                         \
  do {                                                       \
    ::mirune::Status mirune_status_ = (expr);                \
    if (!mirune_status_.ok()) return mirune_status_.error(); \
  } while (0)

#define MIRUNE_CONCAT_INNER(a, b) a##b
#define MIRUNE_CONCAT(a, b) MIRUNE_CONCAT_INNER(a, b)

// Declares `lhs` from a Result-returning expression, or returns its error.
#define MIRUNE_ASSIGN_OR_RETURN(lhs, expr)                  \
  auto MIRUNE_CONCAT(mirune_result_, __LINE__) = (expr);    \
  if (!MIRUNE_CONCAT(mirune_result_, __LINE__).ok())        \
    return MIRUNE_CONCAT(mirune_result_, __LINE__).error(); \
  lhs = std::move(MIRUNE_CONCAT(mirune_result_, __LINE__)).value()
