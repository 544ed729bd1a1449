// The six exported functions: thin wrappers over the one module-wide archive.
// Nothing may escape across the C boundary, so every call is fenced.
#include <cstdint>
#include <new>

#include "archive.h"
#include "torvane.h"

namespace {

torvane::Archive g_archive;

}  // namespace

extern "C" {

TORVANE_API int TORVANE_CALL IMGOpen(const char* path) {
  try {
    return g_archive.Open(path);
  } catch (...) {  // no memory for the directory
    return TORVANE_IO_ERROR;
  }
}

TORVANE_API void TORVANE_CALL IMGClose(void) { g_archive.Close(); }

TORVANE_API int TORVANE_CALL IMGAddFile(const char* path, const char* name, int replace) {
  // A Boolean in a 32-bit slot: only its lowest 8 bits count.
  const bool allowed = (static_cast<unsigned>(replace) & 0xFFu) != 0;
  try {
    return g_archive.Add(path, name, allowed);
  } catch (...) {
    return TORVANE_IO_ERROR;
  }
}

TORVANE_API int TORVANE_CALL IMGDelFile(const char* name) {
  try {
    return g_archive.Delete(name);
  } catch (...) {
    return TORVANE_IO_ERROR;
  }
}

TORVANE_API int TORVANE_CALL IMGExtractFile(const char* name, const char* path) {
  try {
    return g_archive.Extract(name, path);
  } catch (...) {
    return TORVANE_IO_ERROR;
  }
}

TORVANE_API int TORVANE_CALL IMGCompact(TorvaneProgress progress, void* context) {
  try {
    return g_archive.Compact([progress, context](std::uint64_t moved, std::uint64_t total) {
      return progress != nullptr && progress(moved, total, context) != 0;
    });
  } catch (...) {
    return TORVANE_IO_ERROR;
  }
}

}  // extern "C"
