// The parts of unpacking's system layer that are the same on every platform.
#include "unpack_platform.h"

#include <archive_entry.h>

namespace wrenfield::unpack_platform {

bool EntryNameBytes(archive_entry* entry, std::string& bytes) {
  ClearErrnoForLibarchive();
  const char* raw = archive_entry_pathname(entry);
  if (raw == nullptr) return false;
  bytes = raw;
  return true;
}

}  // namespace wrenfield::unpack_platform
