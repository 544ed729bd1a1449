// The one error type of Wrenfield: a fixed message in code page 1251, raised at
// the first failure and shown by the window's event dispatch (or the CLI's main).
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace wrenfield {

class Error : public std::exception {
 public:
  explicit Error(std::string message) : message_(std::move(message)) {}
  const std::string& message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

}  // namespace wrenfield
