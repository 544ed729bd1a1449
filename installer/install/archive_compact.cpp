#include "archive_compact.h"

#include "archive_layout.h"
#include "archive_session.h"
#include "error.h"
#include "file_system.h"
#include "game_paths.h"
#include "img_compact.h"
#include "messages.h"
#include "torvane.h"

namespace wrenfield {
namespace {

// Torvane's progress callback, forwarding to the caller's.
int TORVANE_CALL Forward(unsigned long long moved, unsigned long long total, void* context) {
  const CompactProgress& progress = *static_cast<CompactProgress*>(context);
  return progress && progress(moved, total) ? 1 : 0;
}

}  // namespace

std::uint64_t ReclaimableSpace(const std::string& gameDir) {
  if (gameDir.empty()) return 0;
  const ArchiveLayout layout = ReadArchiveLayout(ArchivePath(gameDir));
  if (!layout.known) return 0;
  const img::CompactPlan plan = img::PlanCompaction(layout.entries, layout.length);
  return plan.verdict == img::CompactPlan::Verdict::kReady ? plan.Reclaimable() : 0;
}

std::string ReclaimableText(std::uint64_t bytes) { return msg::Reclaimable(bytes); }

std::string CompactGameArchive(const std::string& gameDir, const CompactProgress& progress) {
  if (gameDir.empty()) throw Error(msg::NoGameFolder());
  const std::string path = ArchivePath(gameDir);
  ArchiveSession archive;
  if (!archive.Open(path)) throw Error(msg::ArchiveOpenFailed());
  std::uint64_t before = 0, after = 0;
  FileSize(path, before);
  CompactProgress forwarded = progress;
  const int status = archive.Compact(Forward, &forwarded);
  archive.Close();
  if (status == TORVANE_STOPPED) throw Error(msg::CompactStopped());
  if (status != TORVANE_OK) {
    throw Error(msg::CompactFailed(TorvaneStatusText(status)));
  }
  FileSize(path, after);
  return msg::ArchiveCompacted(before, after);
}

}  // namespace wrenfield
