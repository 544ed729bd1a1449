// Unpacking a mod archive (zip, 7z, RAR 4, RAR 5) into a folder through libarchive,
// refusing whatever could write outside that folder or fill the disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wrenfield {

struct UnpackLimits {
  std::size_t maxEntries = 10000;                   // files and folders together
  std::uint64_t maxBytes = std::uint64_t{2} << 30;  // counted as the data is unpacked
};

// Unpacks the archive file into `folder` (an existing empty folder) and returns the
// paths of the files written, relative to the folder with "/" between the parts.
// Entry names become path text of the system's path code page: Cyrillic letters it
// lacks are transliterated, other characters it lacks become "_", and a name then
// spelt like another of its folder gets "~2", "~3"... before its extension; a name
// that needs no converting always keeps its own spelling. An entry whose name ends
// in "/" is a folder whatever its attributes say. Throws
// Error at the first refusal or failure (not an archive, a password, damage, an
// unsafe name, a link or special file, a name twice, too many entries, too many
// bytes, a file that cannot be written); what was written by then
// stays for the caller to remove.
std::vector<std::string> UnpackArchive(const std::string& archivePath, const std::string& folder,
                                       const UnpackLimits& limits = {});

// The same over archive bytes in memory; `displayName` names the archive in messages.
std::vector<std::string> UnpackArchiveBytes(const void* data, std::size_t size,
                                            const std::string& displayName,
                                            const std::string& folder,
                                            const UnpackLimits& limits = {});

}  // namespace wrenfield
