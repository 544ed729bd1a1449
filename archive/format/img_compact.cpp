#include "img_compact.h"

#include <algorithm>

#include "img_change.h"

namespace img {

namespace {

using Verdict = CompactPlan::Verdict;

// The entries that occupy sectors, in order of where their data begins; the
// verdict on whether each of them can be moved at all (an entry inside the
// directory is named before one past the end, whatever their order).
Verdict Occupied(const std::vector<Entry>& directory, std::uint64_t length,
                 std::vector<std::size_t>& order) {
  const std::uint64_t directory_end = SlotPosition(directory.size());
  bool past_end = false;
  for (std::size_t i = 0; i < directory.size(); ++i) {
    const Entry& entry = directory[i];
    if (entry.size == 0) continue;
    if (InsideDirectory(entry, directory_end)) return Verdict::kInsideDirectory;
    past_end = past_end || !InsideArchive(entry, length);
    order.push_back(i);
  }
  if (past_end) return Verdict::kPastEnd;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return directory[a].DataBegin() < directory[b].DataBegin();
  });
  return Verdict::kReady;
}

// Gathers overlapping entries into blocks and gives each its place right after
// the one before. Returns where the last block ends once moved.
std::uint64_t PlaceBlocks(const std::vector<Entry>& directory, std::uint64_t floor,
                          CompactPlan& plan) {
  std::uint64_t next = floor;
  for (std::size_t k = 0; k < plan.order.size();) {
    CompactBlock block;
    block.first = k;
    block.from = directory[plan.order[k]].DataBegin();
    std::uint64_t end = directory[plan.order[k]].DataEnd();
    for (++k; k < plan.order.size() && directory[plan.order[k]].DataBegin() < end; ++k) {
      end = std::max(end, directory[plan.order[k]].DataEnd());
    }
    block.last = k;
    block.bytes = end - block.from;
    block.to = next;
    next += block.bytes;
    if (block.to < block.from) {
      plan.blocks.push_back(block);
      plan.bytes_to_move += block.bytes;
    }
  }
  return next;
}

bool LandsInFreeSpace(const CompactBlock& block) { return block.bytes <= block.from - block.to; }

// Cuts the moves into steps. A step whose first block overlaps its own old
// place must journal anyway: it takes the following blocks that would overlap
// theirs too, while its journal stays within journal_bytes (once a block
// would land in free space, a new step costs less than journalling it). A
// step whose first block lands in free space takes the following blocks that
// still land before the first one's old place, and beyond that as many as
// spill_bytes of journal allow: a little journal costs less than the syncs of
// another step while the holes passed so far are small.
void CutSteps(const CompactLimits& limits, CompactPlan& plan) {
  const std::vector<CompactBlock>& blocks = plan.blocks;
  for (std::size_t i = 0; i < blocks.size();) {
    CompactStep step;
    step.first = i;
    step.bytes = blocks[i].bytes;
    const std::uint64_t head = blocks[i].from;
    const bool overlapping = !LandsInFreeSpace(blocks[i]);
    const std::uint64_t budget = overlapping ? limits.journal_bytes : limits.spill_bytes;
    std::size_t j = i + 1;
    for (; j < blocks.size(); ++j) {
      const CompactBlock& block = blocks[j];
      const std::uint64_t end = block.to + block.bytes;
      if (step.bytes + block.bytes > limits.step_bytes) break;
      if (end > head && end - head > budget) break;
      if (overlapping && LandsInFreeSpace(block)) break;
      step.bytes += block.bytes;
    }
    step.last = j;
    const std::uint64_t end = blocks[j - 1].to + blocks[j - 1].bytes;
    if (end > head) {
      step.overwritten_begin = head;
      step.overwritten_end = end;
    }
    plan.steps.push_back(step);
    i = j;
  }
}

}  // namespace

CompactPlan PlanCompaction(const std::vector<Entry>& directory, std::uint64_t length,
                           const CompactLimits& limits) {
  CompactPlan plan;
  plan.length = length;
  plan.compacted_length = length;
  plan.verdict = Occupied(directory, length, plan.order);
  if (plan.verdict != Verdict::kReady) return plan;
  const std::uint64_t end =
      PlaceBlocks(directory, AlignToSector(SlotPosition(directory.size())), plan);
  plan.compacted_length = std::min(length, end);
  CutSteps(limits, plan);
  return plan;
}

}  // namespace img
