#include "img_change.h"

#include <algorithm>

namespace img {

namespace {

using Verdict = ChangePlan::Verdict;

// Whether two byte ranges share a byte: an empty range shares none.
bool Overlaps(std::uint64_t begin, std::uint64_t end, std::uint64_t other_begin,
              std::uint64_t other_end) {
  return begin < end && other_begin < other_end && begin < other_end && other_begin < end;
}

ChangePlan Refused(Verdict verdict, std::size_t blocking = 0) {
  ChangePlan plan;
  plan.verdict = verdict;
  plan.blocking = blocking;
  return plan;
}

}  // namespace

bool AppendPosition(std::uint64_t length, std::uint64_t directory_end, std::uint64_t* position) {
  const std::uint64_t at = std::max(AlignToSector(length), AlignToSector(directory_end));
  if (at / kSectorSize > kMaxSectors) return false;
  *position = at;
  return true;
}

// Archives from elsewhere may carry sizes that overlap neighbours or offsets
// inside the directory; a record pointing far beyond the end would otherwise
// make the file that large.
bool FitsInPlace(const std::vector<Entry>& directory, std::size_t target, std::uint64_t bytes,
                 std::uint64_t length) {
  const Entry& entry = directory[target];
  if (std::uint64_t{entry.size} * kSectorSize < bytes) return false;
  const std::uint64_t begin = entry.DataBegin();
  const std::uint64_t end = begin + AlignToSector(bytes);
  if (begin == end) return true;
  if (end > AlignToSector(length)) return false;
  if (Overlaps(begin, end, 0, SlotPosition(directory.size()))) return false;
  for (std::size_t i = 0; i < directory.size(); ++i) {
    const Entry& other = directory[i];
    if (i != target && Overlaps(begin, end, other.DataBegin(), other.DataEnd())) return false;
  }
  return true;
}

// Each moved entry goes where the archive then ends, whole sectors after the
// new data and the entries moved before it.
ChangePlan PlanAddition(const std::vector<Entry>& directory, std::uint64_t length,
                        std::uint64_t bytes) {
  const std::uint64_t count = directory.size();
  if (count >= kMaxCount || SectorsFor(bytes) > kMaxSectors) return Refused(Verdict::kFull);
  const std::uint64_t new_end = SlotPosition(count + 1);
  ChangePlan plan;
  if (!AppendPosition(length, new_end, &plan.position)) return Refused(Verdict::kFull);
  plan.new_length = plan.position + AlignToSector(bytes);
  for (std::size_t i = 0; i < count; ++i) {
    if (!InTheWay(directory[i], new_end)) continue;
    if (!InsideArchive(directory[i], length)) return Refused(Verdict::kUnreadable, i);
    const std::uint64_t moved_to = AlignToSector(plan.new_length);
    if (moved_to / kSectorSize > kMaxSectors) return Refused(Verdict::kFull);
    plan.moves.push_back({i, moved_to});
    plan.new_length = moved_to + std::uint64_t{directory[i].size} * kSectorSize;
  }
  return plan;
}

ChangePlan PlanReplacement(const std::vector<Entry>& directory, std::uint64_t length,
                           std::size_t target, std::uint64_t bytes) {
  if (SectorsFor(bytes) > kMaxSectors) return Refused(Verdict::kFull);
  ChangePlan plan;
  plan.in_place = FitsInPlace(directory, target, bytes, length);
  plan.position = directory[target].DataBegin();
  if (!plan.in_place && !AppendPosition(length, SlotPosition(directory.size()), &plan.position)) {
    return Refused(Verdict::kFull);
  }
  // The record's slot may end past the file's end (a directory the file cuts
  // short): writing it lengthens the file.
  // An empty file in place writes no data, wherever its entry lies.
  const std::uint64_t data_end =
      plan.in_place && bytes == 0 ? 0 : plan.position + AlignToSector(bytes);
  plan.new_length = std::max({length, data_end, SlotPosition(target + 1)});
  return plan;
}

void ApplyAddition(const ChangePlan& plan, const Entry& record, std::vector<Entry>& directory,
                   std::uint64_t& length) {
  for (const EntryMove& move : plan.moves) {
    directory[move.index].offset = static_cast<std::uint32_t>(move.to / kSectorSize);
  }
  directory.push_back(record);
  length = plan.new_length;
}

void ApplyReplacement(const ChangePlan& plan, std::size_t target, const Entry& record,
                      std::vector<Entry>& directory, std::uint64_t& length) {
  directory[target] = record;
  length = plan.new_length;
}

}  // namespace img
