// The root of our exceptions. The web layer catches Exception around every user action.
#pragma once

#include <exception>
#include <string>

#include "base/metaclass.h"

namespace quin {

class Exception : public std::exception {
 public:
  Exception() = default;
  explicit Exception(std::string Msg) : Message(std::move(Msg)) {}
  const char* what() const noexcept override { return Message.c_str(); }
  // The final message text, fixed when the exception is created.
  std::string Message;
};

// An index or argument outside its range (a programming error, never a file's fault).
class EListError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace quin
