#include "journal.h"

#include <algorithm>
#include <cstring>

#include "img_records.h"
#include "transfer.h"

namespace torvane {

namespace {

constexpr unsigned char kMagic[8] = {'T', 'V', 'J', 'O', 'U', 'R', 'N', 'L'};
constexpr unsigned char kVoidMagic[8] = {};
constexpr std::uint32_t kVersion = 2;
constexpr std::size_t kHeaderSize = 32;
// Release 1.0.0 wrote version 1: no new length, no sums of the new bytes, each
// range's original bytes in one run padded to a whole word.
constexpr std::uint32_t kVersion1 = 1;
constexpr std::size_t kHeaderSize1 = 24;
constexpr std::size_t kRangeHeaderSize = 16;
constexpr std::size_t kPieceSumSize = 8;
constexpr std::size_t kTrailerSize = 8;
// Every part of the journal is a whole number of words, so that the checksum
// runs over whole words whatever piece of the journal a buffer holds.
constexpr std::size_t kWord = 8;
static_assert(kTransferSize % kWord == 0, "whole words per buffer");
constexpr std::uint64_t kBlock = Journal::kBlockSize;
// Begin reads the archive's bytes and the new ones this many blocks at a time,
// so that a range costs a read of each per chunk rather than per block; a
// chunk's pieces with their sums fit the transfer buffer.
constexpr std::size_t kChunkBlocks = 15;
constexpr std::size_t kChunkSize = kChunkBlocks * kBlock;
static_assert(kChunkBlocks * (kBlock + kPieceSumSize) <= kTransferSize, "a chunk fits");

alignas(64) unsigned char g_old[kChunkSize];
alignas(64) unsigned char g_new[kChunkSize];

// The sums of the new bytes of a change's first pieces, in journal order, kept
// as Begin writes them: Expects compares with these rather than reading each
// 8-byte sum back from the journal (a read per 4 KiB block written). Pieces
// past the table's end are read back as before, so memory stays bounded
// (this covers changes up to 32 MiB). The journal that filled it owns it.
constexpr std::size_t kKeptSums = 8192;
unsigned char g_sums[kKeptSums][kPieceSumSize];
std::size_t g_sums_kept = 0;
const void* g_sums_owner = nullptr;

void KeepSum(const unsigned char* sum) {
  if (g_sums_kept < kKeptSums) std::memcpy(g_sums[g_sums_kept], sum, kPieceSumSize);
  if (g_sums_kept <= kKeptSums) ++g_sums_kept;
}

std::uint64_t Load64(const unsigned char* b) {
  return img::GetU32(b) | std::uint64_t{img::GetU32(b + 4)} << 32;
}

void Store64(unsigned char* b, std::uint64_t value) {
  img::PutU32(b, static_cast<std::uint32_t>(value));
  img::PutU32(b + 4, static_cast<std::uint32_t>(value >> 32));
}

std::uint64_t Padded(std::uint64_t n) { return (n + kWord - 1) / kWord * kWord; }

// The end of the piece that begins at `at`: the next block boundary, or `end`.
std::uint64_t PieceEnd(std::uint64_t at, std::uint64_t end) {
  return std::min(end, (at / kBlock + 1) * kBlock);
}

// Two running sums over the little-endian 32-bit words, each word of a pair
// feeding one sum and every word reaching both: fast enough to run over
// megabytes, and a journal cut short, zero bytes where data should be, or a
// changed byte does not add up.
class Checksum {
 public:
  // The little-endian 32-bit word at b, as img::GetU32 reads it.
  static std::uint32_t Word(const unsigned char* b) {
    return b[0] | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
  }

  // n is a whole number of words. The words are read here rather than
  // through the format's getter: a call per word would cost more than the
  // sums, and every change sums its bytes twice (the journal, the new bytes).
  void Add(const unsigned char* bytes, std::size_t n) {
    std::uint32_t s1 = s1_, s2 = s2_;
    for (std::size_t i = 0; i < n; i += kWord) {
      s1 += Word(bytes + i) + s2;
      s2 += Word(bytes + i + 4) + s1;
    }
    s1_ = s1;
    s2_ = s2;
  }
  // Any n: the last word is completed with zero bytes.
  void AddPadded(const unsigned char* bytes, std::size_t n) {
    const std::size_t whole = n / kWord * kWord;
    Add(bytes, whole);
    if (whole == n) return;
    unsigned char last[kWord] = {};
    std::memcpy(last, bytes + whole, n - whole);
    Add(last, kWord);
  }
  void Store(unsigned char* bytes) const {
    img::PutU32(bytes, s1_);
    img::PutU32(bytes + 4, s2_);
  }
  bool Matches(const unsigned char* bytes) const {
    return img::GetU32(bytes) == s1_ && img::GetU32(bytes + 4) == s2_;
  }

 private:
  std::uint32_t s1_ = 0, s2_ = 0;
};

Checksum SumOf(const unsigned char* bytes, std::size_t n) {
  Checksum sum;
  sum.AddPadded(bytes, n);
  return sum;
}

// Writes a journal through the transfer buffer, summing it on the way.
class Writer {
 public:
  explicit Writer(File& out) : out_(out), buffer_(TransferBuffer()) {}

  // A piece of at most the buffer's size that begins at a word boundary,
  // followed by zero bytes up to a whole word.
  bool Put(const unsigned char* bytes, std::size_t n) {
    const std::size_t padded = static_cast<std::size_t>(Padded(n));
    if (used_ + padded > kTransferSize && !Flush()) return false;
    std::memcpy(buffer_ + used_, bytes, n);
    std::memset(buffer_ + used_ + n, 0, padded - n);
    used_ += padded;
    return true;
  }

  // Whether a write to the journal failed (rather than a read of what goes in it).
  bool failed() const { return failed_; }
  // Where the next byte put goes in the journal.
  std::uint64_t position() const { return written_ + used_; }

  // Writes what is buffered and the checksum of everything after it.
  bool Finish() {
    if (used_ + kTrailerSize > kTransferSize && !Flush()) return false;
    sum_.Add(buffer_, used_);
    sum_.Store(buffer_ + used_);
    return Write(used_ + kTrailerSize);
  }

 private:
  bool Flush() {
    sum_.Add(buffer_, used_);
    return Write(used_);
  }

  bool Write(std::size_t n) {
    if (n == 0) return true;
    if (!out_.WriteAt(written_, buffer_, n)) {
      failed_ = true;
      return false;
    }
    written_ += n;
    used_ = 0;
    return true;
  }

  File& out_;
  unsigned char* buffer_;
  std::size_t used_ = 0;
  std::uint64_t written_ = 0;
  Checksum sum_;
  bool failed_ = false;
};

// Journals one range a chunk at a time: the archive's bytes and the change's
// new bytes of the chunk are read once, then each block's piece goes to the
// journal as the sum of its new bytes and its original bytes.
bool PutRange(Writer& writer, File& archive, const Ranges::Range& range, std::uint64_t new_length,
              NewBytes& new_bytes) {
  unsigned char header[kRangeHeaderSize];
  Store64(header, range.position);
  Store64(header + 8, range.length);
  if (!writer.Put(header, sizeof header)) return false;
  const std::uint64_t end = range.position + range.length;
  for (std::uint64_t at = range.position; at < end;) {
    const std::uint64_t chunk_end = std::min(end, (at / kBlock + kChunkBlocks) * kBlock);
    const std::size_t n = static_cast<std::size_t>(chunk_end - at);
    std::size_t got = 0;
    if (!archive.ReadAt(at, g_old, n, &got) || got != n) return false;
    std::memcpy(g_new, g_old, n);
    if (!new_bytes.Fill(at, g_new, n)) return false;
    if (chunk_end > new_length) {
      const std::uint64_t from = std::max(at, new_length);
      std::memset(g_new + (from - at), 0, static_cast<std::size_t>(chunk_end - from));
    }
    for (std::uint64_t piece = at; piece < chunk_end;) {
      const std::uint64_t piece_end = PieceEnd(piece, chunk_end);
      const std::size_t offset = static_cast<std::size_t>(piece - at);
      const std::size_t size = static_cast<std::size_t>(piece_end - piece);
      unsigned char sum[kPieceSumSize];
      SumOf(g_new + offset, size).Store(sum);
      KeepSum(sum);
      if (!writer.Put(sum, sizeof sum) || !writer.Put(g_old + offset, size)) return false;
      piece = piece_end;
    }
    at = chunk_end;
  }
  return true;
}

enum class Verdict {
  kValid,
  kInvalid,
  kOtherVersion,  // the magic of a journal, but a layout this code does not read
  kIoError,
};

struct Header {
  std::uint32_t version = 0;
  std::uint32_t ranges = 0;
  std::uint64_t old_length = 0;
  std::uint64_t new_length = 0;  // version 1 knows none: the old length
  std::uint64_t ranges_end = 0;  // the end of the last range; 0 without any
};

Verdict ReadExactly(File& file, std::uint64_t pos, unsigned char* bytes, std::size_t n) {
  std::size_t got = 0;
  if (!file.ReadAt(pos, bytes, n, &got)) return Verdict::kIoError;
  return got == n ? Verdict::kValid : Verdict::kInvalid;
}

// Hands a version 1 range's original bytes, from journal position *pos on,
// to visit a transfer buffer at a time (its words stay whole for the sum),
// with no sum of new bytes.
template <typename Visit>
Verdict WalkRange1(File& journal, std::uint64_t end, std::uint64_t at, std::uint64_t length,
                   std::uint64_t* pos, Checksum& sum, Visit&& visit) {
  unsigned char* buffer = TransferBuffer();
  const std::uint64_t padded = Padded(length);
  if (padded > end - *pos) return Verdict::kInvalid;
  for (std::uint64_t done = 0; done < padded;) {
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(padded - done, kTransferSize));
    Verdict verdict = ReadExactly(journal, *pos, buffer, n);
    if (verdict != Verdict::kValid) return verdict;
    sum.Add(buffer, n);
    const std::uint64_t data = std::min<std::uint64_t>(n, length - std::min(length, done));
    if (data > 0) {
      verdict = visit(at + done, buffer, static_cast<std::size_t>(data), nullptr);
      if (verdict != Verdict::kValid) return verdict;
    }
    *pos += n;
    done += n;
  }
  return Verdict::kValid;
}

// Reads a journal through the transfer buffer: checks its header, the layout of
// its ranges and its checksum, and hands each block's piece of each range to
// visit(position in the archive, original bytes, n, sum of the new bytes;
// version 1: longer pieces and no sum), which returns kValid to go on. Nothing
// is allocated, whatever the journal claims.
template <typename Visit>
Verdict Walk(File& journal, Header* header, Visit&& visit) {
  unsigned char* buffer = TransferBuffer();
  std::uint64_t size = 0;
  if (!journal.Size(&size)) return Verdict::kIoError;
  if (size < kHeaderSize1 + kTrailerSize || size % kWord != 0) return Verdict::kInvalid;
  Verdict verdict = ReadExactly(journal, 0, buffer, kHeaderSize1);
  if (verdict != Verdict::kValid) return verdict;
  if (std::memcmp(buffer, kMagic, sizeof kMagic) != 0) return Verdict::kInvalid;
  header->version = img::GetU32(buffer + 8);
  if (header->version != kVersion && header->version != kVersion1) return Verdict::kOtherVersion;
  const std::size_t header_size = header->version == kVersion1 ? kHeaderSize1 : kHeaderSize;
  if (size < header_size + kTrailerSize) return Verdict::kInvalid;
  verdict = ReadExactly(journal, 0, buffer, header_size);
  if (verdict != Verdict::kValid) return verdict;
  header->ranges = img::GetU32(buffer + 12);
  header->old_length = Load64(buffer + 16);
  header->new_length = header->version == kVersion1 ? header->old_length : Load64(buffer + 24);
  header->ranges_end = 0;
  Checksum sum;
  sum.Add(buffer, header_size);

  const std::uint64_t end = size - kTrailerSize;
  std::uint64_t pos = header_size;
  for (std::uint32_t i = 0; i < header->ranges; ++i) {
    if (end - pos < kRangeHeaderSize) return Verdict::kInvalid;
    verdict = ReadExactly(journal, pos, buffer, kRangeHeaderSize);
    if (verdict != Verdict::kValid) return verdict;
    sum.Add(buffer, kRangeHeaderSize);
    const std::uint64_t at = Load64(buffer);
    const std::uint64_t length = Load64(buffer + 8);
    pos += kRangeHeaderSize;
    // Each range lies within the archive's old length.
    if (length == 0 || at > header->old_length || length > header->old_length - at) {
      return Verdict::kInvalid;
    }
    header->ranges_end = std::max(header->ranges_end, at + length);
    if (header->version == kVersion1) {
      verdict = WalkRange1(journal, end, at, length, &pos, sum, visit);
      if (verdict != Verdict::kValid) return verdict;
      continue;
    }
    for (std::uint64_t piece = at; piece < at + length;) {
      const std::uint64_t piece_end = PieceEnd(piece, at + length);
      const std::size_t n = static_cast<std::size_t>(piece_end - piece);
      const std::size_t stored = kPieceSumSize + static_cast<std::size_t>(Padded(n));
      if (end - pos < stored) return Verdict::kInvalid;
      verdict = ReadExactly(journal, pos, buffer, stored);
      if (verdict != Verdict::kValid) return verdict;
      sum.Add(buffer, stored);
      verdict = visit(piece, buffer + kPieceSumSize, n, buffer);
      if (verdict != Verdict::kValid) return verdict;
      pos += stored;
      piece = piece_end;
    }
  }
  if (pos != end) return Verdict::kInvalid;
  verdict = ReadExactly(journal, end, buffer, kTrailerSize);
  if (verdict != Verdict::kValid) return verdict;
  return sum.Matches(buffer) ? Verdict::kValid : Verdict::kInvalid;
}

// Whether the journal is complete and valid, touching nothing.
Verdict Check(File& journal, Header* header) {
  return Walk(journal, header,
              [](std::uint64_t, const unsigned char*, std::size_t, const unsigned char*) {
                return Verdict::kValid;
              });
}

// Whether the archive is the file a journal, checked and described by header,
// was written for, caught somewhere in its change: kValid when it fits,
// kInvalid when it does not. Its lengths decide first.
Verdict Fits(File& journal, const Header& checked, File& archive) {
  std::uint64_t length = 0;
  if (!archive.Size(&length)) return Verdict::kIoError;
  // Release 1.0.0's changes only kept or grew the archive, and its journals
  // hold no new bytes to compare: it rolled back whatever it found at least as
  // long, and so does this.
  if (checked.version == kVersion1) {
    return length >= checked.old_length ? Verdict::kValid : Verdict::kInvalid;
  }
  if (length < std::min(checked.old_length, checked.new_length) ||
      length > std::max(checked.old_length, checked.new_length)) {
    return Verdict::kInvalid;
  }
  // Only a change that shrinks the archive leaves it shorter than its old
  // length, and that change journals the tail it cuts off: an old length past
  // both the archive and every range would have the rollback lengthen the file
  // to whatever the journal claims.
  if (checked.old_length > length && checked.old_length > checked.ranges_end) {
    return Verdict::kInvalid;
  }
  Header header;
  return Walk(journal, &header,
              [&archive, length](std::uint64_t at, const unsigned char* old_bytes, std::size_t n,
                                 const unsigned char* new_sum) {
                std::size_t got = 0;
                if (at < length && !archive.ReadAt(at, g_old, n, &got)) return Verdict::kIoError;
                std::memset(g_old + got, 0, n - got);
                if (std::memcmp(g_old, old_bytes, n) == 0) return Verdict::kValid;
                return SumOf(g_old, n).Matches(new_sum) ? Verdict::kValid : Verdict::kInvalid;
              });
}

}  // namespace

void Ranges::Add(std::uint64_t position, std::uint64_t length) {
  if (position >= archive_length_) return;
  length = std::min(length, archive_length_ - position);
  if (length > 0) ranges_.push_back({position, length});
}

const std::vector<Ranges::Range>& Ranges::Merged() {
  std::sort(ranges_.begin(), ranges_.end(),
            [](const Range& a, const Range& b) { return a.position < b.position; });
  std::size_t kept = 0;
  for (const Range& range : ranges_) {
    if (kept > 0) {
      Range& last = ranges_[kept - 1];
      if (range.position < last.position + last.length) {
        last.length = std::max(last.length, range.position + range.length - last.position);
        continue;
      }
    }
    ranges_[kept++] = range;
  }
  ranges_.resize(kept);
  return ranges_;
}

bool Journal::Begin(File& archive, std::uint64_t old_length, std::uint64_t new_length,
                    Ranges& ranges, NewBytes& new_bytes) {
  voided_ = false;
  const std::vector<Ranges::Range>& list = ranges.Merged();
  placed_.clear();
  placed_.reserve(list.size());
  g_sums_owner = this;
  g_sums_kept = 0;
  if (!Create()) return false;
  Writer writer(file_);
  unsigned char header[kHeaderSize];
  std::memcpy(header, kMagic, sizeof kMagic);
  img::PutU32(header + 8, kVersion);
  img::PutU32(header + 12, static_cast<std::uint32_t>(list.size()));
  Store64(header + 16, old_length);
  Store64(header + 24, new_length);
  bool written = writer.Put(header, sizeof header);
  for (const Ranges::Range& range : list) {
    placed_.push_back({range.position, range.length, writer.position(), g_sums_kept});
    written = written && PutRange(writer, archive, range, new_length, new_bytes);
  }
  // The folder too: a journal whose name a power cut takes away protects nothing.
  if (written && writer.Finish() && file_.Sync() && SyncFolderOf(path_.c_str())) return true;
  // A failed read of the archive or of the new bytes is no fault of the journal.
  if (!written && !writer.failed()) {
    failure_.clear();
  } else {
    failure_ = LastSystemError();
  }
  Delete();  // what there is of it protects nothing yet
  return false;
}

// Created anew, never through a link. A regular file already there is a void
// or incomplete journal that the open could not delete (the open rolled back
// or set aside any other, and the archive has been held since): it goes first.
bool Journal::Create() {
  failure_.clear();
  if (file_.Open(path_.c_str(), File::Mode::kCreateNew)) return true;
  const std::string reason = LastSystemError();
  switch (KindOf(path_.c_str())) {
    case PathKind::kLink:
      failure_ = "a link stands at its path (never followed)";
      return false;
    case PathKind::kOther:
      failure_ = "a folder or other non-file stands at its path";
      return false;
    case PathKind::kFile:
      if (RemoveFile(path_.c_str()) && file_.Open(path_.c_str(), File::Mode::kCreateNew)) {
        return true;
      }
      break;
    case PathKind::kMissing:
    case PathKind::kUnknown:
      break;
  }
  failure_ = reason;
  return false;
}

bool Journal::Expects(std::uint64_t position, const unsigned char* bytes, std::size_t n) {
  const std::uint64_t end = position + n;
  for (const Placed& range : placed_) {
    const std::uint64_t range_end = range.position + range.length;
    if (range_end <= position || range.position >= end) continue;
    // The pieces begin at the range's start, then at every block boundary.
    std::uint64_t piece = std::max(range.position, position / kBlock * kBlock);
    while (piece < range_end && piece < end) {
      const std::uint64_t piece_end = PieceEnd(piece, range_end);
      const bool whole = piece >= position && piece_end <= end;
      if (whole && !PieceExpects(range, piece, piece_end, bytes + (piece - position))) {
        return false;
      }
      piece = piece_end;
    }
  }
  return true;
}

// The sum of one piece's new bytes lies before its original bytes: the first
// piece right after the range's header, each later one a whole block further.
bool Journal::PieceExpects(const Placed& range, std::uint64_t piece, std::uint64_t piece_end,
                           const unsigned char* bytes) {
  std::uint64_t at = range.offset + kRangeHeaderSize;
  std::uint64_t index = range.first_sum;
  const std::uint64_t first_end = PieceEnd(range.position, range.position + range.length);
  if (piece > range.position) {
    at += kPieceSumSize + Padded(first_end - range.position) +
          (piece - first_end) / kBlock * (kPieceSumSize + kBlock);
    index += 1 + (piece - first_end) / kBlock;
  }
  const Checksum expected = SumOf(bytes, static_cast<std::size_t>(piece_end - piece));
  if (g_sums_owner == this && index < std::min(g_sums_kept, kKeptSums)) {
    return expected.Matches(g_sums[index]);
  }
  unsigned char sum[kPieceSumSize];
  std::size_t got = 0;
  return file_.ReadAt(at, sum, sizeof sum, &got) && got == sizeof sum && expected.Matches(sum);
}

bool Journal::Commit() {
  if (!Void()) return false;
  Delete();
  return true;
}

bool Journal::RollBack(File& archive) {
  // A failed commit may have voided the journal in part: make it whole again.
  // Synced before the archive is touched: a void magic found after a power cut
  // would have the journal deleted with the archive part restored.
  if (voided_ && (!file_.WriteAt(0, kMagic, sizeof kMagic) || !file_.Sync())) {
    file_.Close();
    return false;
  }
  voided_ = false;
  if (!RestoreFrom(file_, archive, false)) {
    file_.Close();
    return false;
  }
  // The archive is as it was, durably. A journal left over would only write
  // the same bytes again, so failing to void or delete it harms nothing.
  Void();
  Delete();
  return true;
}

bool Journal::Recover(File& archive) {
  set_aside_.clear();
  switch (KindOf(path_.c_str())) {
    case PathKind::kMissing:
    case PathKind::kLink:   // never followed, never deleted: a change fails to create
    case PathKind::kOther:  // a journal while it stands there
      return true;
    case PathKind::kUnknown:
      return false;
    case PathKind::kFile:
      break;
  }
  if (!file_.Open(path_.c_str(), File::Mode::kReadWriteNoLink)) return false;
  Header header;
  switch (Check(file_, &header)) {
    case Verdict::kIoError:
      file_.Close();
      return false;
    case Verdict::kOtherVersion:  // it cannot tell whether it fits
      return SetAside();
    case Verdict::kInvalid:  // cut off before the archive was touched, or void
      Delete();              // harmless where it stays
      return true;
    case Verdict::kValid:
      break;
  }
  switch (Fits(file_, header, archive)) {
    case Verdict::kValid:
      break;
    case Verdict::kInvalid:
    case Verdict::kOtherVersion:
      return SetAside();
    case Verdict::kIoError:
      file_.Close();
      return false;
  }
  if (!RestoreFrom(file_, archive, true) || !Void()) {
    file_.Close();
    return false;
  }
  Delete();  // void now: harmless where it stays
  return true;
}

Journal::Found Journal::Inspect(File& archive) {
  switch (KindOf(path_.c_str())) {
    case PathKind::kMissing:
      return Found::kNone;
    case PathKind::kLink:
      return Found::kLink;
    case PathKind::kOther:
      return Found::kNotAFile;
    case PathKind::kUnknown:
      return Found::kUnreadable;
    case PathKind::kFile:
      break;
  }
  File journal;
  if (!journal.Open(path_.c_str(), File::Mode::kReadExisting)) return Found::kUnreadable;
  Header header;
  switch (Check(journal, &header)) {
    case Verdict::kValid:
      break;
    case Verdict::kOtherVersion:
      return Found::kStale;
    case Verdict::kInvalid:
      return Found::kIncomplete;
    case Verdict::kIoError:
      return Found::kUnreadable;
  }
  switch (Fits(journal, header, archive)) {
    case Verdict::kValid:
      return Found::kRollBack;
    case Verdict::kInvalid:
    case Verdict::kOtherVersion:
      return Found::kStale;
    case Verdict::kIoError:
      break;
  }
  return Found::kUnreadable;
}

// Renamed, never replacing a journal set aside before: each may be the only
// record of some change.
bool Journal::SetAside() {
  file_.Close();
  const unsigned n = img::NextStale(path_, [](const std::string& stale) {
    switch (KindOf(stale.c_str())) {
      case PathKind::kMissing:
        return 0;
      case PathKind::kUnknown:
        return -1;
      default:
        return 1;
    }
  });
  const std::string stale = img::StalePathFor(path_, n);
  if (n == 0 || !RenameNoReplace(path_.c_str(), stale.c_str())) return false;
  set_aside_ = stale;
  return true;
}

bool Journal::Void() {
  voided_ = true;
  return file_.WriteAt(0, kVoidMagic, sizeof kVoidMagic) && file_.Sync();
}

// The journal is closed first: Windows deletes no file that is held.
bool Journal::Delete() {
  file_.Close();
  voided_ = false;
  return RemoveFile(path_.c_str());
}

// Writes the original bytes back, cuts the archive to its old length (removing
// whatever the change appended) and makes it durable. Doing it twice does no
// harm: the bytes and the length are the same the second time.
bool Journal::RestoreFrom(File& journal, File& archive, bool checked) {
  Header header;
  // Nothing is written before the whole journal is known to be sound.
  if (!checked && Check(journal, &header) != Verdict::kValid) return false;
  const Verdict restored =
      Walk(journal, &header,
           [&archive](std::uint64_t at, const unsigned char* bytes, std::size_t n,
                      const unsigned char*) {
             return archive.WriteAt(at, bytes, n) ? Verdict::kValid : Verdict::kIoError;
           });
  std::uint64_t length = 0;
  return restored == Verdict::kValid && archive.Size(&length) &&
         (length == header.old_length || archive.Truncate(header.old_length)) && archive.Sync();
}

}  // namespace torvane
