// Runs part of a test in a forked child: a write failure provoked for real by a
// file size limit, or a crash by the child's end.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace wrenfield::testing {

// Runs body in a child whose files may grow to at most `limit` bytes; SIGXFSZ
// is ignored, so a write past the limit fails as on a full disk. Returns what
// body returned, or "<child died>" when the child did not end normally.
std::string InChildWithFileSizeLimit(std::uint64_t limit, const std::function<std::string()>& body);

}  // namespace wrenfield::testing
