// Compaction of the open archive: entry data moves down over the holes, one
// durable step at a time, each step a change of its own through the journal.
//
// The format layer plans it (img_compact.h): which blocks move where, and
// which live bytes, if any, a step overwrites. Every write of a step has new
// bytes known before it is made, and told to the journal (StepBytes): a copy
// from another place of the archive, or directory records held in memory.
// Each range the journal holds is written by one call, or by several whose
// calls end at the journal's block boundaries, never a byte twice. A step is committed before the
// next one begins, so an interruption anywhere leaves each entry at its old place or its new one,
// and compacting again goes on from there.
#include <algorithm>
#include <cstring>

#include "archive.h"
#include "torvane.h"
#include "transfer.h"

namespace torvane {

using namespace img;

namespace {

// How often, in bytes copied, progress is reported within a step.
constexpr std::uint64_t kReportEvery = 4u << 20;
// Moving a gigabyte, the number of system calls shows: the data moves through
// a buffer of its own, larger than the transfer buffer, and as bounded.
constexpr std::size_t kMoveSize = 1u << 20;
alignas(64) unsigned char g_move[kMoveSize];
static_assert(kMoveSize % Journal::kBlockSize == 0, "copies end at block boundaries");
constexpr std::size_t kRecordsPerTransfer = kTransferSize / kRecordSize;

// The end of one copy call that begins at position: at most the move buffer,
// and a boundary of the journal's blocks unless it is the block's end.
std::uint64_t CopyEnd(std::uint64_t position, std::uint64_t end) {
  const std::uint64_t limit = (position + kMoveSize) / Journal::kBlockSize * Journal::kBlockSize;
  return std::min(end, limit);
}

// Calls run(first, n) for each write of the records: neighbouring slots
// together, as many as the transfer buffer holds.
template <typename Run>
bool ForEachRecordRun(const std::vector<Archive::SlotRecord>& records, Run&& run) {
  for (std::size_t k = 0; k < records.size();) {
    std::size_t n = 1;
    while (k + n < records.size() && records[k + n].slot == records[k].slot + n &&
           n < kRecordsPerTransfer) {
      ++n;
    }
    if (!run(k, n)) return false;
    k += n;
  }
  return true;
}

// What a step writes, told to its journal before anything is written: each
// block's bytes, read from its old place, and the records.
class StepBytes final : public NewBytes {
 public:
  StepBytes(File& archive, const CompactPlan& plan, const CompactStep& step,
            const std::vector<Archive::SlotRecord>& records)
      : archive_(archive), plan_(plan), step_(step), records_(records) {}

  // [position, position + n) lies in one range: one block's new place, or one
  // run of records.
  bool Fill(std::uint64_t position, unsigned char* bytes, std::size_t n) override {
    for (std::size_t b = step_.first; b < step_.last; ++b) {
      const CompactBlock& block = plan_.blocks[b];
      if (position < block.to || position >= block.to + block.bytes) continue;
      std::size_t got = 0;
      return archive_.ReadAt(position + (block.from - block.to), bytes, n, &got) && got == n;
    }
    for (const Archive::SlotRecord& moved : records_) {
      const std::uint64_t at = SlotPosition(moved.slot);
      const std::uint64_t from = std::max(position, at);
      const std::uint64_t to = std::min(position + n, at + kRecordSize);
      if (from >= to) continue;
      unsigned char record[kRecordSize];
      EncodeEntry(moved.record, record);
      std::memcpy(bytes + (from - position), record + (from - at),
                  static_cast<std::size_t>(to - from));
    }
    return true;
  }

 private:
  File& archive_;
  const CompactPlan& plan_;
  const CompactStep& step_;
  const std::vector<Archive::SlotRecord>& records_;
};

}  // namespace

// Tells the caller how far the moves have come and remembers a stop request,
// which is answered once the current step is committed.
class Archive::CompactReporter {
 public:
  CompactReporter(const CompactProgress& progress, std::uint64_t total)
      : progress_(progress), total_(total) {}
  void Moved(std::uint64_t bytes) {
    moved_ += bytes;
    if (moved_ - reported_ >= kReportEvery) Report();
  }
  void Report() {
    reported_ = moved_;
    if (progress_ && progress_(moved_, total_)) stop_ = true;
  }
  bool StopRequested() const { return stop_; }

 private:
  const CompactProgress& progress_;
  std::uint64_t total_;
  std::uint64_t moved_ = 0;
  std::uint64_t reported_ = 0;
  bool stop_ = false;
};

int Archive::Compact(const CompactProgress& progress) {
  if (state_ != State::kUsable) return TORVANE_NOT_OPEN;
  const CompactPlan plan = PlanCompaction(directory_, length_);
  if (plan.verdict == CompactPlan::Verdict::kInsideDirectory) return TORVANE_BAD_ARCHIVE;
  if (plan.verdict == CompactPlan::Verdict::kPastEnd) return TORVANE_IO_ERROR;
  CompactReporter reporter(progress, plan.bytes_to_move);
  for (std::size_t i = 0; i < plan.steps.size(); ++i) {
    const int status = MoveStep(plan, plan.steps[i], reporter);
    if (status != TORVANE_OK) return status;
    if (i + 1 == plan.steps.size()) break;  // the last report comes once the tail is cut
    reporter.Report();
    if (reporter.StopRequested()) return TORVANE_STOPPED;
  }
  const int status = CutTail(plan.compacted_length);
  if (status == TORVANE_OK) reporter.Report();
  return status;
}

// The step's new records, built before anything is written: each entry of
// its blocks with its new offset, in order of slot.
std::vector<Archive::SlotRecord> Archive::MovedRecords(const CompactPlan& plan,
                                                       const CompactStep& step) const {
  std::vector<SlotRecord> records;
  for (std::size_t b = step.first; b < step.last; ++b) {
    const CompactBlock& block = plan.blocks[b];
    const std::uint32_t shift = static_cast<std::uint32_t>((block.from - block.to) / kSectorSize);
    for (std::size_t k = block.first; k < block.last; ++k) {
      SlotRecord moved{plan.order[k], directory_[plan.order[k]]};
      moved.record.offset -= shift;
      records.push_back(moved);
    }
  }
  std::sort(records.begin(), records.end(),
            [](const SlotRecord& a, const SlotRecord& b) { return a.slot < b.slot; });
  return records;
}

// Every write of a step has its new bytes known before the journal is
// written: the blocks' bytes at their old places, and the records built in
// memory. The journal holds the records the step rewrites and the live bytes
// its copies overwrite (none when they all land in free space); the length
// does not change. Blocks are copied in order of position, each from its
// first sector on: moving down, a copy never overwrites source bytes it has
// yet to read.
int Archive::MoveStep(const CompactPlan& plan, const CompactStep& step, CompactReporter& reporter) {
  const std::vector<SlotRecord> records = MovedRecords(plan, step);
  Ranges overwritten(length_);
  for (std::size_t b = step.first; b < step.last; ++b) {
    // The part of the block's new place that holds live bytes now.
    const CompactBlock& block = plan.blocks[b];
    const std::uint64_t begin = std::max(block.to, step.overwritten_begin);
    const std::uint64_t end = std::min(block.to + block.bytes, step.overwritten_end);
    if (begin < end) overwritten.Add(begin, end - begin);
  }
  ForEachRecordRun(records, [&](std::size_t k, std::size_t n) {
    overwritten.Add(SlotPosition(records[k].slot), n * kRecordSize);
    return true;
  });
  StepBytes new_bytes(file_, plan, step, records);
  if (!journal_.Begin(file_, length_, length_, overwritten, new_bytes)) return TORVANE_IO_ERROR;

  bool written = true;
  for (std::size_t b = step.first; written && b < step.last; ++b) {
    written = MoveBlock(plan.blocks[b], reporter);
  }
  written = written && WriteRecords(records);
  // A rollback reads the directory back from the file, old offsets and all.
  if (written) {
    for (const SlotRecord& moved : records) directory_[moved.slot] = moved.record;
  }
  return FinishChange(written);
}

bool Archive::MoveBlock(const CompactBlock& block, CompactReporter& reporter) {
  const std::uint64_t end = block.to + block.bytes;
  for (std::uint64_t to = block.to; to < end;) {
    const std::size_t n = static_cast<std::size_t>(CopyEnd(to, end) - to);
    std::size_t got = 0;
    if (!file_.ReadAt(to + (block.from - block.to), g_move, n, &got) || got != n) return false;
    if (!file_.WriteAt(to, g_move, n)) return false;
    to += n;
    reporter.Moved(n);
  }
  return true;
}

// Writes the records, runs of neighbouring slots a buffer at a time: each
// run is one range of the step's journal.
bool Archive::WriteRecords(const std::vector<SlotRecord>& records) {
  unsigned char* buffer = TransferBuffer();
  return ForEachRecordRun(records, [&](std::size_t k, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
      EncodeEntry(records[k + i].record, buffer + i * kRecordSize);
    return file_.WriteAt(SlotPosition(records[k].slot), buffer, n * kRecordSize);
  });
}

// No record covers anything past `length` any more: cutting the file there
// needs no journal, since the archive is sound whether or not the cut reaches
// the disk.
int Archive::CutTail(std::uint64_t length) {
  if (length >= length_) return TORVANE_OK;
  if (file_.Truncate(length) && file_.Sync() && MeasureLength()) return TORVANE_OK;
  Resync();
  return TORVANE_IO_ERROR;
}

}  // namespace torvane
