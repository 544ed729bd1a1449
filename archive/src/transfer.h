// The buffer through which data passes, entry data and journal alike, whatever
// its size; only compaction moves its data through a larger static buffer of
// its own (compact.cpp). The library's memory stays bounded by the two and the
// directory. Several sectors per system call rather than one keep a copy close
// to the speed of a plain copy. Its content means nothing between one step and
// the next.
#pragma once

#include <cstddef>

#include "img_layout.h"

namespace torvane {

constexpr std::size_t kTransferSectors = 32;
constexpr std::size_t kTransferSize = kTransferSectors * img::kSectorSize;

unsigned char* TransferBuffer();

}  // namespace torvane
