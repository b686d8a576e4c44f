// The exception classes of the plug-in. Inside an operation failures are exceptions; every
// service operation catches them at its boundary. Nothing is thrown across the C exports.
// Messages are UTF-8.
#pragma once

#include <stdexcept>
#include <string>

#include "velmor/export.h"

namespace velmor {

// The general exception ("Exception" of the message tables).
class VELMOR_API Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  virtual const char* ClassName() const noexcept { return "Exception"; }
};

class VELMOR_API ERangeError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "ERangeError"; }
};

class VELMOR_API EConvertError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EConvertError"; }
};

class VELMOR_API EPropertyConvertError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EPropertyConvertError"; }
};

// Raised by list access with an index out of range: "List index out of bounds (%d)".
class VELMOR_API EListError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EListError"; }
  static EListError IndexOutOfBounds(long index) {
    return EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
};

class VELMOR_API EInvalidPointer : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EInvalidPointer"; }
};

}  // namespace velmor
