#include "journal.h"

#include <algorithm>
#include <cstring>

#include "img_records.h"
#include "transfer.h"

namespace torvane {

namespace {

constexpr unsigned char kMagic[8] = {'T', 'V', 'J', 'O', 'U', 'R', 'N', 'L'};
constexpr unsigned char kVoidMagic[8] = {};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kHeaderSize = 24;
constexpr std::size_t kRangeHeaderSize = 16;
constexpr std::size_t kTrailerSize = 8;
// Every part of the journal is a whole number of words, so that the checksum
// runs over whole words whatever piece of the journal a buffer holds.
constexpr std::size_t kWord = 8;
static_assert(kTransferSize % kWord == 0, "whole words per buffer");

std::uint64_t Load64(const unsigned char* b) {
  return img::GetU32(b) | std::uint64_t{img::GetU32(b + 4)} << 32;
}

void Store64(unsigned char* b, std::uint64_t value) {
  img::PutU32(b, static_cast<std::uint32_t>(value));
  img::PutU32(b + 4, static_cast<std::uint32_t>(value >> 32));
}

// Two running sums over the little-endian 32-bit words, each word of a pair
// feeding one sum and every word reaching both: fast enough to run over
// megabytes, and a journal cut short, zero bytes where data should be, or a
// changed byte does not add up.
class Checksum {
 public:
  // n is a whole number of words.
  void Add(const unsigned char* bytes, std::size_t n) {
    std::uint32_t s1 = s1_, s2 = s2_;
    for (std::size_t i = 0; i < n; i += kWord) {
      s1 += img::GetU32(bytes + i) + s2;
      s2 += img::GetU32(bytes + i + 4) + s1;
    }
    s1_ = s1;
    s2_ = s2;
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

// Writes a journal through the transfer buffer, summing it on the way.
class Writer {
 public:
  explicit Writer(File& out) : out_(out), buffer_(TransferBuffer()) {}

  // A small piece (a header) that begins at a word boundary.
  bool Put(const unsigned char* bytes, std::size_t n) {
    if (used_ + n > kTransferSize && !Flush()) return false;
    std::memcpy(buffer_ + used_, bytes, n);
    used_ += n;
    return true;
  }

  // n bytes of the archive from `from`, then zero bytes up to a whole word.
  bool PutArchiveBytes(File& archive, std::uint64_t from, std::uint64_t n) {
    while (n > 0) {
      if (used_ == kTransferSize && !Flush()) return false;
      const std::size_t take =
          static_cast<std::size_t>(std::min<std::uint64_t>(n, kTransferSize - used_));
      std::size_t got = 0;
      if (!archive.ReadAt(from, buffer_ + used_, take, &got) || got != take) return false;
      used_ += take;
      from += take;
      n -= take;
    }
    const std::size_t pad = (kWord - used_ % kWord) % kWord;
    std::memset(buffer_ + used_, 0, pad);
    used_ += pad;
    return true;
  }

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
    if (!out_.WriteAt(written_, buffer_, n)) return false;
    written_ += n;
    used_ = 0;
    return true;
  }

  File& out_;
  unsigned char* buffer_;
  std::size_t used_ = 0;
  std::uint64_t written_ = 0;
  Checksum sum_;
};

enum class Verdict { kValid, kInvalid, kIoError };

struct Header {
  std::uint32_t ranges = 0;
  std::uint64_t archive_length = 0;
};

Verdict ReadExactly(File& file, std::uint64_t pos, unsigned char* bytes, std::size_t n) {
  std::size_t got = 0;
  if (!file.ReadAt(pos, bytes, n, &got)) return Verdict::kIoError;
  return got == n ? Verdict::kValid : Verdict::kInvalid;
}

// Reads a journal through the transfer buffer: checks its header, the layout of
// its ranges and its checksum, and hands each range's original bytes, a buffer
// at a time, to visit(position in the archive, bytes, n), which returns false
// when it fails. Nothing is allocated, whatever the journal claims.
template <typename Visit>
Verdict Walk(File& journal, Header* header, Visit&& visit) {
  unsigned char* buffer = TransferBuffer();
  std::uint64_t size = 0;
  if (!journal.Size(&size)) return Verdict::kIoError;
  if (size < kHeaderSize + kTrailerSize || size % kWord != 0) return Verdict::kInvalid;
  Verdict verdict = ReadExactly(journal, 0, buffer, kHeaderSize);
  if (verdict != Verdict::kValid) return verdict;
  if (std::memcmp(buffer, kMagic, sizeof kMagic) != 0 || img::GetU32(buffer + 8) != kVersion) {
    return Verdict::kInvalid;
  }
  header->ranges = img::GetU32(buffer + 12);
  header->archive_length = Load64(buffer + 16);
  Checksum sum;
  sum.Add(buffer, kHeaderSize);

  const std::uint64_t end = size - kTrailerSize;
  std::uint64_t pos = kHeaderSize;
  for (std::uint32_t i = 0; i < header->ranges; ++i) {
    if (end - pos < kRangeHeaderSize) return Verdict::kInvalid;
    verdict = ReadExactly(journal, pos, buffer, kRangeHeaderSize);
    if (verdict != Verdict::kValid) return verdict;
    sum.Add(buffer, kRangeHeaderSize);
    const std::uint64_t at = Load64(buffer);
    const std::uint64_t length = Load64(buffer + 8);
    pos += kRangeHeaderSize;
    // Each range lies within the archive's old length and within the journal
    // (whose parts are whole words, so that its padding does too).
    if (length == 0 || at > header->archive_length || length > header->archive_length - at ||
        length > end - pos) {
      return Verdict::kInvalid;
    }
    const std::uint64_t padded = (length + kWord - 1) / kWord * kWord;
    for (std::uint64_t done = 0; done < padded;) {
      const std::size_t n =
          static_cast<std::size_t>(std::min<std::uint64_t>(padded - done, kTransferSize));
      verdict = ReadExactly(journal, pos, buffer, n);
      if (verdict != Verdict::kValid) return verdict;
      sum.Add(buffer, n);
      const std::size_t data =
          done < length ? static_cast<std::size_t>(std::min<std::uint64_t>(n, length - done)) : 0;
      if (data > 0 && !visit(at + done, buffer, data)) return Verdict::kIoError;
      pos += n;
      done += n;
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
              [](std::uint64_t, const unsigned char*, std::size_t) { return true; });
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
      if (range.position <= last.position + last.length) {
        last.length = std::max(last.length, range.position + range.length - last.position);
        continue;
      }
    }
    ranges_[kept++] = range;
  }
  ranges_.resize(kept);
  return ranges_;
}

bool Journal::Begin(File& archive, std::uint64_t archive_length, Ranges& ranges) {
  voided_ = false;
  const std::vector<Ranges::Range>& list = ranges.Merged();
  if (!file_.Open(path_.c_str(), File::Mode::kReadWriteCreate)) return false;
  Writer writer(file_);
  unsigned char header[kHeaderSize];
  std::memcpy(header, kMagic, sizeof kMagic);
  img::PutU32(header + 8, kVersion);
  img::PutU32(header + 12, static_cast<std::uint32_t>(list.size()));
  Store64(header + 16, archive_length);
  bool written = writer.Put(header, sizeof header);
  for (const Ranges::Range& range : list) {
    unsigned char range_header[kRangeHeaderSize];
    Store64(range_header, range.position);
    Store64(range_header + 8, range.length);
    written = written && writer.Put(range_header, sizeof range_header) &&
              writer.PutArchiveBytes(archive, range.position, range.length);
  }
  // The folder too: a journal whose name a power cut takes away protects nothing.
  if (written && writer.Finish() && file_.Sync() && SyncFolderOf(path_.c_str())) return true;
  Delete();  // what there is of it protects nothing yet
  return false;
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
  if (!RestoreFrom(file_, archive)) {
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
  switch (KindOf(path_.c_str())) {
    case PathKind::kMissing:
    case PathKind::kOther:  // not a journal; a change fails to create one
      return true;
    case PathKind::kUnknown:
      return false;
    case PathKind::kFile:
      break;
  }
  if (!file_.Open(path_.c_str(), File::Mode::kReadWriteExisting)) return false;
  Header header;
  switch (Check(file_, &header)) {
    case Verdict::kIoError:
      file_.Close();
      return false;
    case Verdict::kInvalid:  // cut off before the archive was touched, or void
      return Delete();
    case Verdict::kValid:
      break;
  }
  if (!RestoreFrom(file_, archive) || !Void()) {
    file_.Close();
    return false;
  }
  return Delete();
}

Journal::Found Journal::Inspect() {
  switch (KindOf(path_.c_str())) {
    case PathKind::kMissing:
      return Found::kNone;
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
      return Found::kRollBack;
    case Verdict::kInvalid:
      return Found::kIncomplete;
    case Verdict::kIoError:
      break;
  }
  return Found::kUnreadable;
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
bool Journal::RestoreFrom(File& journal, File& archive) {
  Header header;
  if (Check(journal, &header) != Verdict::kValid) return false;
  const Verdict restored = Walk(
      journal, &header, [&archive](std::uint64_t at, const unsigned char* bytes, std::size_t n) {
        return archive.WriteAt(at, bytes, n);
      });
  std::uint64_t length = 0;
  return restored == Verdict::kValid && archive.Size(&length) &&
         (length == header.archive_length || archive.Truncate(header.archive_length)) &&
         archive.Sync();
}

}  // namespace torvane
