// Compaction of an archive, planned over its directory alone: which runs of
// entry data move down over the holes (space that no record covers) and in
// which durable steps, so that the archive ends right after its last entry.
//
// Entries are taken in the order of where their data begins; entries whose
// sectors overlap (archives made elsewhere) form one block that moves whole, so
// every entry keeps its bytes. Entries of size 0 occupy nothing and stay as
// they are. Blocks move down only, each onto the end of the one before it, the
// first onto the sector after the directory: the free gap in front of the next
// block never shrinks.
//
// A step moves a run of blocks and is then committed through the journal. A
// step whose destinations lie wholly in free space overwrites no live byte, so
// its journal needs only the records it changes; the old copies stay valid
// until it is committed. A block larger than the gap in front of it overwrites
// its own old bytes, and a step may run on a little past the free space to
// spare the syncs of another: such a step names the live range it overwrites,
// which its journal holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "img_records.h"

namespace img {

// Sectors that move together: one entry, or several whose sectors overlap.
struct CompactBlock {
  std::uint64_t from = 0;   // where the data begins now
  std::uint64_t to = 0;     // where it begins once moved (never after `from`)
  std::uint64_t bytes = 0;  // whole sectors
  // The block's entries: [first, last) of CompactPlan::order.
  std::size_t first = 0;
  std::size_t last = 0;
};

// One durable step: blocks [first, last) of CompactPlan::blocks, moved in order.
struct CompactStep {
  std::size_t first = 0;
  std::size_t last = 0;
  // The live bytes its copies overwrite, [overwritten_begin, overwritten_end):
  // empty (both equal) when every destination lies in free space.
  std::uint64_t overwritten_begin = 0;
  std::uint64_t overwritten_end = 0;
  std::uint64_t bytes = 0;  // bytes moved
};

struct CompactPlan {
  enum class Verdict {
    kReady,            // the plan below is sound
    kInsideDirectory,  // an entry's sectors hold part of the header or directory
    kPastEnd,          // an entry's sectors run past the archive's end
  };
  Verdict verdict = Verdict::kReady;
  // Indices of the entries of size > 0, in order of where their data begins.
  std::vector<std::size_t> order;
  // The blocks that move (those already in place are left out), in order.
  std::vector<CompactBlock> blocks;
  std::vector<CompactStep> steps;
  std::uint64_t bytes_to_move = 0;
  std::uint64_t length = 0;            // the archive's length now
  std::uint64_t compacted_length = 0;  // and once compacted (never more than now)

  // The space held by holes: what compaction gives back.
  std::uint64_t Reclaimable() const { return length - compacted_length; }
};

// Limits on one step, so that a stop request is answered soon and journals
// stay small (a single block larger than them still makes one step of its own).
struct CompactLimits {
  // Data one step moves.
  std::uint64_t step_bytes = 256u << 20;
  // Live bytes journalled for blocks that overlap their own old place.
  std::uint64_t journal_bytes = 16u << 20;
  // Live bytes journalled to spare a step.
  std::uint64_t spill_bytes = 1u << 20;
};

// Plans the compaction of an archive of `length` bytes with this directory.
CompactPlan PlanCompaction(const std::vector<Entry>& directory, std::uint64_t length,
                           const CompactLimits& limits = CompactLimits{});

}  // namespace img
