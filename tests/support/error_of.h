// For Wrenfield's suites (they link its base layer): the message of the one
// error type that a call raises.
#pragma once

#include <string>

#include "error.h"

namespace wrenfield::testing {

// The message of the Error that call raises, or "" when it returns.
template <typename Call>
std::string ErrorOf(Call&& call) {
  try {
    call();
  } catch (const Error& e) {
    return e.message();
  }
  return "";
}

}  // namespace wrenfield::testing
