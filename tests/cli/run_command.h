// Runs one wrenfield-cli command in the test process and captures what it
// prints and its exit status.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "commands.h"

namespace wrenfield::testing {

struct CommandResult {
  int status;
  std::string out;
  std::string err;
};

inline CommandResult RunCommand(int (*command)(const cli::Args&), const cli::Args& args) {
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const int status = command(args);
  std::string out = ::testing::internal::GetCapturedStdout();
  return {status, out, ::testing::internal::GetCapturedStderr()};
}

}  // namespace wrenfield::testing
