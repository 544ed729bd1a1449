// Compaction of the game's model archive from the installer: what it would
// give back, and running it through Torvane with progress.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace wrenfield {

// Told the bytes moved so far and the bytes to move in all; true asks the
// compaction to stop after its current step.
using CompactProgress = std::function<bool(std::uint64_t moved, std::uint64_t total)>;

// The bytes compaction would give back in the game folder's archive; 0 when
// the archive cannot be read or could not be compacted as it is.
std::uint64_t ReclaimableSpace(const std::string& gameDir);

// "Сжатие IMG-архива освободит <n> байт"
std::string ReclaimableText(std::uint64_t bytes);

// Holds the archive (so that no installation or undo runs meanwhile) and
// compacts it, telling `progress` as the data moves. Returns "IMG-архив сжат:
// было <n> байт, стало <m> байт."; raises Error when the archive cannot be
// opened, the compaction fails or is stopped (every entry stays whole, and
// compacting again finishes the job).
std::string CompactGameArchive(const std::string& gameDir, const CompactProgress& progress);

}  // namespace wrenfield
