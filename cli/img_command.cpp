// wrenfield-cli img: lists, checks, adds, extracts and deletes archive entries
// with Torvane's own archive code, so that the command sees the directory
// exactly as the library reads it, and opening rolls back a change that was cut
// off, as the library's open does.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "archive.h"
#include "cli_messages.h"
#include "commands.h"
#include "entry_name.h"
#include "img_check.h"
#include "img_compact.h"
#include "journal_names.h"
#include "torvane.h"

namespace wrenfield::cli {

namespace {

namespace text = msg::cli;

// One line of the command's own on stderr.
void SayError(const std::string& message) {
  std::fprintf(stderr, "wrenfield-cli img: %s\n", message.c_str());
}

// One line of the command's report on stdout.
void Say(const std::string& message) { std::printf("%s\n", message.c_str()); }

// The library reports a missing entry as success; the command says so instead.
int NoSuchEntry(const std::string& archive, const std::string& name) {
  SayError(text::NoSuchEntry(archive, name));
  return 1;
}

std::string NameOf(const img::Entry& entry) {
  return std::string(reinterpret_cast<const char*>(entry.name), entry.NameLength());
}

int Fail(const std::string& what, int status) {
  SayError(text::ImgFailed(what, TorvaneStatusText(status), status));
  return 1;
}

bool HasEntry(const torvane::Archive& archive, const std::string& name) {
  for (const img::Entry& entry : archive.Entries()) {
    if (entry.NameEquals(name.data(), name.size())) return true;
  }
  return false;
}

int Usage() {
  std::fputs(text::ImgUsage().c_str(), stderr);
  return 2;
}

// Said once, when the open set aside a journal that did not fit the archive.
void SaySetAside(const torvane::Archive& archive, const std::string& path) {
  if (archive.SetAsideJournal().empty()) return;
  SayError(text::JournalSetAside(path, archive.SetAsideJournal()));
}

// A change that failed: when its journal could not be written, the journal
// and the system's reason are named rather than `what`.
int FailChange(const torvane::Archive& archive, const std::string& what, int status) {
  if (status != TORVANE_IO_ERROR || archive.JournalFailure().empty()) return Fail(what, status);
  SayError(text::JournalNotWritten(archive.JournalPath(), archive.JournalFailure(), status));
  return 1;
}

// The archive held open for the lifetime of the object.
class OpenArchive {
 public:
  explicit OpenArchive(const std::string& path) : status_(archive_.Open(path.c_str())) {
    SaySetAside(archive_, path);
  }
  ~OpenArchive() { archive_.Close(); }
  OpenArchive(const OpenArchive&) = delete;
  OpenArchive& operator=(const OpenArchive&) = delete;
  int status() const { return status_; }
  // Lets go of the archive before success is reported: false when the system
  // reports a failure on closing it.
  bool Close() { return archive_.Close(); }
  torvane::Archive& operator*() { return archive_; }
  torvane::Archive* operator->() { return &archive_; }

 private:
  torvane::Archive archive_;
  int status_;
};

int List(const std::string& path) {
  OpenArchive archive(path);
  if (archive.status() != TORVANE_OK) return Fail(path, archive.status());
  const auto& entries = archive->Entries();
  Say(text::EntryCount(path, entries.size()));
  Say(text::ListHeading());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const img::Entry& e = entries[i];
    std::printf("%6zu  %-23s  %10u  %8u  %12llu\n", i, NameOf(e).c_str(), e.offset, e.size,
                static_cast<unsigned long long>(e.size * img::kSectorSize));
  }
  return 0;
}

int Add(const Args& args) {
  if (args.size() < 3) return Usage();
  const std::string& path = args[1];
  // The file's full path, so that its entry name is its last component even
  // when it was given as a bare file name.
  const std::string file = std::filesystem::absolute(args[2]).string();
  std::string name;
  bool named = false, replace = true;
  for (std::size_t i = 3; i < args.size(); ++i) {
    if (args[i] == "--no-replace") {
      replace = false;
    } else if (args[i] == "--name" && i + 1 < args.size()) {
      name = args[++i];
      named = true;
    } else {
      return Usage();
    }
  }
  if (!named) name = img::EntryNameOf(file);
  OpenArchive archive(path);
  if (archive.status() != TORVANE_OK) return Fail(path, archive.status());
  const int status = archive->Add(file.c_str(), name.c_str(), replace);
  if (status != TORVANE_OK) return FailChange(*archive, args[2], status);
  if (!archive.Close()) return Fail(path, TORVANE_IO_ERROR);
  Say(text::Stored(args[2], path, name));
  return 0;
}

int Extract(const Args& args) {
  if (args.size() != 4) return Usage();
  const std::string& path = args[1];
  const std::string& name = args[2];
  const std::string& output = args[3];
  OpenArchive archive(path);
  if (archive.status() != TORVANE_OK) return Fail(path, archive.status());
  if (!HasEntry(*archive, name)) return NoSuchEntry(path, name);
  const int status = archive->Extract(name.c_str(), output.c_str());
  if (status != TORVANE_OK) return Fail(output, status);
  if (!archive.Close()) return Fail(path, TORVANE_IO_ERROR);
  Say(text::Extracted(name, output));
  return 0;
}

int Delete(const Args& args) {
  if (args.size() != 3) return Usage();
  const std::string& path = args[1];
  const std::string& name = args[2];
  OpenArchive archive(path);
  if (archive.status() != TORVANE_OK) return Fail(path, archive.status());
  if (!HasEntry(*archive, name)) return NoSuchEntry(path, name);
  const int status = archive->Delete(name.c_str());
  if (status != TORVANE_DELETED) return FailChange(*archive, path, status);
  if (!archive.Close()) return Fail(path, TORVANE_IO_ERROR);
  Say(text::Deleted(name, path));
  return 0;
}

// One line about what stands where the archive's journal goes; false when nothing does.
bool ReportJournal(const std::string& where, torvane::Journal::Found journal) {
  using Found = torvane::Journal::Found;
  switch (journal) {
    case Found::kNone:
      return false;
    case Found::kRollBack:
      Say(text::JournalCutOff(where));
      break;
    case Found::kStale:
      Say(text::JournalStale(where));
      break;
    case Found::kIncomplete:
      Say(text::JournalIncomplete(where));
      break;
    case Found::kLink:
      Say(text::JournalLink(where));
      break;
    case Found::kNotAFile:
      Say(text::JournalNotAFile(where));
      break;
    case Found::kUnreadable:
      Say(text::JournalUnreadable(where));
      break;
  }
  return true;
}

// One line for each journal an open set aside beside the archive; how many.
std::size_t ReportSetAside(const std::string& journal) {
  std::size_t found = 0;
  for (unsigned n = 1; n <= img::kMaxStale; ++n) {
    const std::string stale = img::StalePathFor(journal, n);
    std::error_code error;
    // As the library looks: a link there is not followed, and is no journal.
    const std::filesystem::file_type type = std::filesystem::symlink_status(stale, error).type();
    if (error || type == std::filesystem::file_type::not_found) break;
    if (type != std::filesystem::file_type::regular) continue;
    Say(text::JournalFoundSetAside(stale));
    ++found;
  }
  return found;
}

void ReportFinding(const std::vector<img::Entry>& entries, std::uint64_t length,
                   const img::Finding& finding) {
  using Kind = img::Finding::Kind;
  const std::size_t i = finding.entry;
  if (finding.kind == Kind::kDirectoryPastEnd) {
    Say(text::DirectoryCutShort(length, entries.size()));
    return;
  }
  const img::Entry& e = entries[i];
  const std::string name = NameOf(e);
  switch (finding.kind) {
    case Kind::kPastEnd:
      Say(text::EntryPastEnd(i, name, e.offset, e.DataEnd() / img::kSectorSize - 1, length));
      break;
    case Kind::kInsideDirectory:
      Say(text::EntryInsideDirectory(i, name, e.offset));
      break;
    case Kind::kOverlap:
      Say(text::EntryOverlaps(i, name, finding.other, NameOf(entries[finding.other])));
      break;
    case Kind::kDuplicateName:
      if (NameOf(entries[finding.other]) == name) {
        Say(text::EntryNameTwice(i, name, finding.other));
      } else {
        Say(text::EntryNameTwiceButCase(i, name, finding.other, NameOf(entries[finding.other])));
      }
      break;
    case Kind::kDirectoryPastEnd:
      break;
  }
}

// The space held by holes, when the directory lets compaction take it back.
void ReportHoles(const std::string& path, const img::CompactPlan& plan) {
  if (plan.verdict != img::CompactPlan::Verdict::kReady) return;
  if (plan.Reclaimable() == 0) {
    Say(text::NoHoles(path));
  } else {
    Say(text::Holes(path, plan.Reclaimable()));
  }
}

// Looks without changing anything: a journal is reported, not rolled back.
int Check(const std::string& path) {
  torvane::Archive archive;
  torvane::Journal::Found journal = torvane::Journal::Found::kNone;
  const int status = archive.Inspect(path.c_str(), &journal);
  if (status == TORVANE_CANNOT_OPEN || status == TORVANE_NOT_IMG) return Fail(path, status);
  std::size_t problems = ReportJournal(archive.JournalPath(), journal) ? 1 : 0;
  problems += ReportSetAside(archive.JournalPath());
  if (status != TORVANE_OK) {
    Say(text::DirectoryUnreadable(path, TorvaneStatusText(status), status));
    ++problems;
  } else {
    const std::vector<img::Finding> findings =
        img::CheckDirectory(archive.Entries(), archive.Length());
    for (const img::Finding& finding : findings) {
      ReportFinding(archive.Entries(), archive.Length(), finding);
    }
    problems += findings.size();
    ReportHoles(path, img::PlanCompaction(archive.Entries(), archive.Length()));
  }
  if (problems == 0) {
    Say(text::ArchiveSound(path, archive.Entries().size(), archive.Length()));
    return 0;
  }
  Say(text::Problems(path, problems));
  return 1;
}

// Progress on one terminal line, redrawn in place; nothing when stderr is not a terminal.
bool ShowProgress(std::uint64_t moved, std::uint64_t total) {
  const std::uint64_t percent = total == 0 ? 100 : moved * 100 / total;
  std::fprintf(stderr, "\r%s", text::CompactProgress(percent, moved, total).c_str());
  if (moved == total) std::fputc('\n', stderr);
  return false;
}

int Compact(const Args& args) {
  const bool dry_run = args.size() == 3 && args[2] == "--dry-run";
  if (args.size() != 2 && !dry_run) return Usage();
  const std::string& path = args[1];
  OpenArchive archive(path);
  if (archive.status() != TORVANE_OK) return Fail(path, archive.status());
  const img::CompactPlan plan = img::PlanCompaction(archive->Entries(), archive->Length());
  if (plan.verdict == img::CompactPlan::Verdict::kInsideDirectory) {
    return Fail(text::PlanInsideDirectory(path), TORVANE_BAD_ARCHIVE);
  }
  if (plan.verdict == img::CompactPlan::Verdict::kPastEnd) {
    return Fail(text::PlanPastEnd(path), TORVANE_IO_ERROR);
  }
  Say(text::CompactionPlan(path, plan.length, dry_run, plan.Reclaimable(), plan.bytes_to_move));
  if (dry_run) return 0;
  std::fflush(stdout);
  const bool terminal = ::isatty(STDERR_FILENO) != 0;
  const int status = archive->Compact(terminal ? torvane::Archive::CompactProgress(ShowProgress)
                                               : torvane::Archive::CompactProgress());
  if (status != TORVANE_OK) {
    if (terminal) std::fputc('\n', stderr);  // ends the progress line
    return Fail(path, status);
  }
  const std::uint64_t after = archive->Length();
  if (!archive.Close()) return Fail(path, TORVANE_IO_ERROR);
  Say(text::Compacted(path, plan.length, after));
  return 0;
}

}  // namespace

int RunImgCommand(const Args& args) {
  if (args.empty()) return Usage();
  const std::string& verb = args[0];
  if (verb == "list") return args.size() == 2 ? List(args[1]) : Usage();
  if (verb == "check") return args.size() == 2 ? Check(args[1]) : Usage();
  if (verb == "add") return Add(args);
  if (verb == "extract") return Extract(args);
  if (verb == "del") return Delete(args);
  if (verb == "compact") return Compact(args);
  return Usage();
}

}  // namespace wrenfield::cli
