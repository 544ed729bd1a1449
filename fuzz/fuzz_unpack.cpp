// Fuzzes the unpacking step over archive bytes (seeded with small zip, 7z and RAR
// archives). Whatever the bytes, unpacking writes only inside its own folder, the
// files it reports exist there, and a refusal is the one error type.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "archive_unpack.h"
#include "error.h"
#include "file_system.h"
#include "unpack_platform.h"

namespace {

using namespace wrenfield;

// Small limits keep each run short; the checks are the same at any size.
constexpr UnpackLimits kLimits{500, 8 << 20};

// The folder the runs unpack into, removed when the fuzzer ends.
const std::string& Root() {
  struct Folder {
    Folder()
        : path(unpack_platform::CreatePrivateFolder(unpack_platform::TemporaryFolder(),
                                                    "wrenfield-fuzz-unpack-")) {}
    ~Folder() { unpack_platform::RemoveTree(path); }
    std::string path;
  };
  static const Folder root;
  return root.path;
}

bool IsEmptyFolder(const std::string& folder) {
  for (const std::string& name : FindFiles(JoinPath(folder, "*"))) {
    if (name != "." && name != "..") return false;
  }
  return true;
}

}  // namespace

// libarchive asks for sizes read from the headers and handles a refusal itself (the
// unpacking then reports damage): let malloc return null instead of aborting. The
// shipped program is 32-bit, where a request beyond a gibibyte or so cannot be met
// either: such requests fail here too, rather than count as running out of memory.
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string folder = unpack_platform::CreatePrivateFolder(Root(), "run-");
  try {
    for (const std::string& file : UnpackArchiveBytes(data, size, "fuzz", folder, kLimits)) {
      std::string path = folder + kPathSeparator;
      for (const char c : file) path += c == '/' ? kPathSeparator : c;
      if (!FileExists(path)) std::abort();
    }
  } catch (const Error&) {
  }
  unpack_platform::RemoveTree(folder);
  // Anything written beside the run's folder came out of it.
  if (!IsEmptyFolder(Root())) std::abort();
  return 0;
}
