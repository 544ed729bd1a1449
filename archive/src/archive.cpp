#include "archive.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "entry_name.h"
#include "img_change.h"
#include "img_directory.h"
#include "torvane.h"
#include "transfer.h"

namespace torvane {

// The format's constants and record codec, used throughout.
using namespace img;

namespace {

alignas(64) unsigned char g_transfer[kTransferSize];
constexpr std::size_t kRecordsPerTransfer = kTransferSize / kRecordSize;

// The bytes of [position, position + n), a part of the directory's slots from
// a deleted record on, once every record after it has moved one slot lower
// and the former last slot is zero bytes.
void EncodeShifted(const std::vector<Entry>& directory, std::uint64_t position,
                   unsigned char* bytes, std::size_t n) {
  const std::uint64_t end = position + n;
  for (std::uint64_t slot = (position - SlotPosition(0)) / kRecordSize; SlotPosition(slot) < end;
       ++slot) {
    unsigned char record[kRecordSize] = {};
    if (slot + 1 < directory.size()) EncodeEntry(directory[slot + 1], record);
    const std::uint64_t from = std::max(position, SlotPosition(slot));
    const std::uint64_t to = std::min(end, SlotPosition(slot + 1));
    std::memcpy(bytes + (from - position), record + (from - SlotPosition(slot)),
                static_cast<std::size_t>(to - from));
  }
}

// What one change will write inside the archive's old length, told to its
// journal before anything is written: a few small fields and records, the
// data of a file copied in, and the records of a deletion moved down.
class ChangeBytes final : public NewBytes {
 public:
  // n (at most a record's size) bytes written at position.
  void Put(std::uint64_t position, const unsigned char* bytes, std::size_t n) {
    Small small{position, n, {}};
    std::memcpy(small.bytes, bytes, n);
    small_.push_back(small);
  }
  void PutRecord(std::size_t slot, const Entry& entry) {
    unsigned char bytes[kRecordSize];
    EncodeEntry(entry, bytes);
    Put(SlotPosition(slot), bytes, sizeof bytes);
  }
  void PutWord(std::uint64_t position, std::uint32_t value) {
    unsigned char bytes[4];
    PutU32(bytes, value);
    Put(position, bytes, sizeof bytes);
  }
  // The first `bytes` bytes of source at position, then zero bytes to a whole sector.
  void Copy(File& source, std::uint64_t bytes, std::uint64_t position) {
    source_ = &source;
    source_bytes_ = bytes;
    copy_at_ = position;
  }
  // The records after `index` moved one slot lower, the last slot zeroed.
  void Shift(const std::vector<Entry>& directory, std::size_t index) {
    shifted_ = &directory;
    shift_index_ = index;
  }
  // Sorts the small pieces for Fill; called once all are given.
  void Done() {
    std::stable_sort(small_.begin(), small_.end(),
                     [](const Small& a, const Small& b) { return a.position < b.position; });
  }

  bool Fill(std::uint64_t position, unsigned char* bytes, std::size_t n) override {
    const std::uint64_t end = position + n;
    if (source_ != nullptr && !FillCopy(position, bytes, n)) return false;
    if (shifted_ != nullptr) {
      const std::uint64_t from = std::max(position, SlotPosition(shift_index_));
      const std::uint64_t to = std::min(end, SlotPosition(shifted_->size()));
      if (from < to) {
        EncodeShifted(*shifted_, from, bytes + (from - position),
                      static_cast<std::size_t>(to - from));
      }
    }
    // Small pieces are at most a record long: none that begins a record's
    // length before position reaches it.
    const std::uint64_t first = position > kRecordSize ? position - kRecordSize : 0;
    auto it = std::lower_bound(small_.begin(), small_.end(), first,
                               [](const Small& s, std::uint64_t at) { return s.position < at; });
    for (; it != small_.end() && it->position < end; ++it) {
      const std::uint64_t from = std::max(position, it->position);
      const std::uint64_t to = std::min(end, it->position + it->n);
      if (from >= to) continue;
      std::memcpy(bytes + (from - position), it->bytes + (from - it->position),
                  static_cast<std::size_t>(to - from));
    }
    return true;
  }

 private:
  struct Small {
    std::uint64_t position;
    std::size_t n;
    unsigned char bytes[kRecordSize];
  };

  bool FillCopy(std::uint64_t position, unsigned char* bytes, std::size_t n) {
    const std::uint64_t end = position + n;
    const std::uint64_t from = std::max(position, copy_at_);
    const std::uint64_t to = std::min(end, copy_at_ + AlignToSector(source_bytes_));
    if (from >= to) return true;
    const std::uint64_t data_end = std::min(to, copy_at_ + source_bytes_);
    std::size_t got = 0;
    if (from < data_end) {
      const std::size_t want = static_cast<std::size_t>(data_end - from);
      if (!source_->ReadAt(from - copy_at_, bytes + (from - position), want, &got) || got != want) {
        return false;
      }
    }
    std::memset(bytes + (from - position) + got, 0, static_cast<std::size_t>(to - from - got));
    return true;
  }

  std::vector<Small> small_;
  File* source_ = nullptr;
  std::uint64_t source_bytes_ = 0;
  std::uint64_t copy_at_ = 0;
  const std::vector<Entry>* shifted_ = nullptr;
  std::size_t shift_index_ = 0;
};

// The end of a write that begins at position and takes at most a transfer
// buffer: a boundary of the journal's blocks, so that a write cut off between
// two calls leaves every block whole, old or new.
std::uint64_t WriteEnd(std::uint64_t position, std::uint64_t end) {
  return std::min(end, (position / Journal::kBlockSize) * Journal::kBlockSize + kTransferSize);
}

}  // namespace

unsigned char* TransferBuffer() { return g_transfer; }

int Archive::Open(const char* path) {
  if (state_ != State::kClosed) return TORVANE_ALREADY_OPEN;
  const int held = Hold(path, File::Mode::kReadWriteExisting);
  if (held != TORVANE_OK) return held;
  // Held first, journal second: while the archive is ours no other process can
  // be in the middle of a change whose journal this would roll back.
  if (!journal_.Recover(file_)) return TORVANE_IO_ERROR;
  const int status = ReadHeaderAndDirectory();
  if (status == TORVANE_OK) state_ = State::kUsable;
  return status;
}

int Archive::Inspect(const char* path, Journal::Found* journal) {
  if (state_ != State::kClosed) return TORVANE_ALREADY_OPEN;
  *journal = Journal::Found::kNone;
  const int held = Hold(path, File::Mode::kReadExisting);
  if (held != TORVANE_OK) return held;
  *journal = journal_.Inspect(file_);
  return ReadHeaderAndDirectory();
}

// The magic is never written, so it is tested before the journal is looked at:
// a file of another format (another program's, with a journal of its own of
// that name) is left alone.
int Archive::Hold(const char* path, File::Mode mode) {
  // From here on the library counts as open, whatever the outcome.
  state_ = State::kUnusable;
  if (!file_.Open(path, mode)) return TORVANE_CANNOT_OPEN;
  unsigned char magic[sizeof kMagic];
  std::size_t got = 0;
  if (!file_.ReadAt(0, magic, sizeof magic, &got)) return TORVANE_IO_ERROR;
  if (!HasMagic(magic, got)) return TORVANE_NOT_IMG;
  // The journal goes beside the file itself, however the path reaches it.
  std::string full;
  if (!file_.FinalPath(path, &full) || !file_.Id(&archive_id_)) return TORVANE_IO_ERROR;
  journal_.SetArchivePath(full);
  if (!LandingOf(journal_.path().c_str(), false, &journal_folder_, &journal_name_)) {
    return TORVANE_IO_ERROR;
  }
  return TORVANE_OK;
}

int Archive::ReadHeaderAndDirectory() {
  unsigned char header[kHeaderSize];
  std::size_t got = 0;
  if (!file_.ReadAt(0, header, sizeof header, &got)) return TORVANE_IO_ERROR;
  if (!HasMagic(header, got)) return TORVANE_NOT_IMG;
  if (!MeasureLength()) return TORVANE_IO_ERROR;
  std::uint64_t count = 0;
  if (got < kHeaderSize || !DirectoryCount(header, length_, &count)) return TORVANE_BAD_ARCHIVE;
  return ReadDirectory(count, true) ? TORVANE_OK : TORVANE_IO_ERROR;
}

bool Archive::Close() {
  const bool closed = file_.Close();
  std::vector<Entry>().swap(directory_);
  length_ = 0;
  state_ = State::kClosed;
  return closed;
}

int Archive::Add(const char* path, const char* name, bool replace) {
  if (state_ != State::kUsable) return TORVANE_NOT_OPEN;
  if (name == nullptr) name = path != nullptr ? EntryNameOf(path) : "";
  const std::size_t length = std::strlen(name);
  if (length > kMaxNameLength) return TORVANE_NAME_TOO_LONG;

  File source;
  if (!source.Open(path, File::Mode::kReadExisting)) return TORVANE_CANNOT_OPEN;
  std::size_t target = kNotFound;
  for (std::size_t i = 0; i < directory_.size(); ++i) {
    if (!directory_[i].NameEquals(name, length)) continue;
    if (!replace) return TORVANE_EXISTS;
    target = i;  // the last match is replaced
  }
  std::uint64_t bytes = 0;
  if (!source.Size(&bytes)) return TORVANE_IO_ERROR;

  return target == kNotFound ? AddEntry(source, bytes, name, length)
                             : ReplaceEntry(source, bytes, target, name, length);
}

// Every change has the same shape: everything that can be refused without
// writing is refused first; then the journal of the ranges it overwrites;
// then the writes; then FinishChange.
int Archive::ReplaceEntry(File& source, std::uint64_t bytes, std::size_t target, const char* name,
                          std::size_t length) {
  const ChangePlan plan = PlanReplacement(directory_, length_, target, bytes);
  if (!plan.ready()) return TORVANE_IO_ERROR;
  const std::uint64_t position = plan.position;
  const Entry record = MakeEntry(static_cast<std::uint32_t>(position / kSectorSize),
                                 static_cast<std::uint32_t>(SectorsFor(bytes)), name, length);
  Ranges overwritten(length_);
  ChangeBytes change;
  if (plan.in_place) overwritten.Add(position, AlignToSector(bytes));
  change.Copy(source, bytes, position);
  overwritten.Add(SlotPosition(target), kRecordSize);
  change.PutRecord(target, record);
  change.Done();
  if (!journal_.Begin(file_, length_, plan.new_length, overwritten, change)) {
    return TORVANE_IO_ERROR;
  }

  // Nothing of an empty file lands in place: its entry's place, however far
  // past the end, is not filled up to.
  const bool fill = !(plan.in_place && bytes == 0);
  const bool written = (!fill || FillTo(position)) && CopyIn(source, bytes, position) &&
                       WriteRecord(target, record) && MeasureLength();
  if (written) directory_[target] = record;
  return FinishChange(written);
}

int Archive::AddEntry(File& source, std::uint64_t bytes, const char* name, std::size_t length) {
  // The new record goes into the slot just past the directory; every entry in
  // the way of the grown directory moves to the archive's end, and must be
  // readable whole. All of that is settled before anything is written.
  const ChangePlan plan = PlanAddition(directory_, length_, bytes);
  if (!plan.ready()) return TORVANE_IO_ERROR;
  const std::size_t count = directory_.size();
  const Entry record = MakeEntry(static_cast<std::uint32_t>(plan.position / kSectorSize),
                                 static_cast<std::uint32_t>(SectorsFor(bytes)), name, length);
  Ranges overwritten(length_);
  ChangeBytes change;
  overwritten.Add(kCountOffset, 4);
  change.PutWord(kCountOffset, static_cast<std::uint32_t>(count + 1));
  overwritten.Add(SlotPosition(count), kRecordSize);
  change.PutRecord(count, record);
  for (const EntryMove& move : plan.moves) {
    overwritten.Add(SlotPosition(move.index), 4);  // its offset field
    change.PutWord(SlotPosition(move.index), static_cast<std::uint32_t>(move.to / kSectorSize));
  }
  change.Done();
  // The directory is read again after the writes: its room is taken now, so
  // that no allocation can fail between the writes and the rollback.
  directory_.reserve(count + 1);
  if (!journal_.Begin(file_, length_, plan.new_length, overwritten, change)) {
    return TORVANE_IO_ERROR;
  }

  bool written = FillTo(plan.position) && CopyIn(source, bytes, plan.position) && MeasureLength();
  for (const EntryMove& move : plan.moves) {
    written = written && MoveToEnd(move.index, move.to);
  }
  written = written && WriteRecord(count, record) && WriteCount(count + 1) &&
            ReadDirectory(count + 1, false);
  return FinishChange(written);
}

int Archive::Delete(const char* name) {
  if (state_ != State::kUsable) return TORVANE_NOT_OPEN;
  const std::size_t index = FindFirst(name);
  if (index == kNotFound) return TORVANE_DELETED;

  const std::size_t count = directory_.size();
  Ranges overwritten(length_);
  ChangeBytes change;
  overwritten.Add(kCountOffset, 4);
  change.PutWord(kCountOffset, static_cast<std::uint32_t>(count - 1));
  overwritten.Add(SlotPosition(index), SlotPosition(count) - SlotPosition(index));
  change.Shift(directory_, index);
  change.Done();
  // The directory may end past the file's end (IMGOpen accepts one the file
  // cuts short): rewriting its slots lengthens the file.
  const std::uint64_t new_length = std::max(length_, SlotPosition(count));
  if (!journal_.Begin(file_, length_, new_length, overwritten, change)) return TORVANE_IO_ERROR;
  const bool written = ShiftRecordsDown(index) && WriteCount(count - 1) &&
                       ReadDirectory(count - 1, false) && MeasureLength();
  const int status = FinishChange(written);
  return status == TORVANE_OK ? TORVANE_DELETED : status;
}

int Archive::FinishChange(bool written) {
  if (written && file_.Sync() && journal_.Commit()) return TORVANE_OK;
  if (journal_.RollBack(file_)) {
    Resync();
  } else {
    // The journal stays for the next IMGOpen; until then nothing may build on
    // an archive that is neither old nor new.
    directory_.clear();
    state_ = State::kUnusable;
  }
  return TORVANE_IO_ERROR;
}

int Archive::Extract(const char* name, const char* path) {
  if (state_ != State::kUsable) return TORVANE_NOT_OPEN;
  const std::size_t index = FindFirst(name);
  if (index == kNotFound) return TORVANE_OK;
  const Entry& entry = directory_[index];
  // An entry whose sectors run past the archive's end cannot be extracted whole.
  if (!InsideArchive(entry, length_)) return TORVANE_IO_ERROR;
  // Neither the archive nor its journal is a place for an output: the next
  // open would take the file for a journal and roll it back.
  if (path == nullptr || NamesArchiveOrJournal(path)) return TORVANE_CANNOT_OPEN;
  File output;
  if (!output.Open(path, File::Mode::kReadWriteCreate)) return TORVANE_CANNOT_OPEN;
  const bool copied =
      CopyFromArchive(entry.DataBegin(), output, 0, std::uint64_t{entry.size} * kSectorSize) &&
      output.Sync();
  // A close may report a write the system could not complete.
  if (output.Close() && copied && SyncFolderOf(path)) return TORVANE_OK;
  RemoveFile(path);  // no half-written output is left behind
  return TORVANE_IO_ERROR;
}

// The same file as the archive or an existing journal, or, since the journal
// usually does not exist yet, its name in its folder (folders compared by
// identity). A path whose folder cannot be looked at is refused too: no
// output could be created there.
bool Archive::NamesArchiveOrJournal(const char* path) const {
  FileId id, journal;
  if (IdOf(path, &id) &&
      (id == archive_id_ || (KindOf(journal_.path().c_str()) == PathKind::kFile &&
                             IdOf(journal_.path().c_str(), &journal) && id == journal))) {
    return true;
  }
  FileId folder;
  std::string name;
  return !LandingOf(path, true, &folder, &name) ||
         (folder == journal_folder_ && SameName(name, journal_name_));
}

std::size_t Archive::FindFirst(const char* name) const {
  if (name == nullptr) return kNotFound;
  const std::size_t length = std::strlen(name);
  for (std::size_t i = 0; i < directory_.size(); ++i) {
    if (directory_[i].NameEquals(name, length)) return i;
  }
  return kNotFound;
}

bool Archive::FillTo(std::uint64_t position) {
  return position <= length_ || WriteZeros(length_, position);
}

bool Archive::ReadDirectory(std::uint64_t count, bool allow_short) {
  auto read_at = [this](std::uint64_t position, unsigned char* bytes, std::size_t n,
                        std::size_t* got) { return file_.ReadAt(position, bytes, n, got); };
  return img::ReadDirectory(read_at, count, allow_short, g_transfer, kTransferSize, directory_);
}

void Archive::Resync() {
  if (ReadHeaderAndDirectory() == TORVANE_OK) return;
  directory_.clear();
  state_ = State::kUnusable;
}

bool Archive::WriteRecord(std::size_t slot, const Entry& entry) {
  unsigned char bytes[kRecordSize];
  EncodeEntry(entry, bytes);
  return file_.WriteAt(SlotPosition(slot), bytes, sizeof bytes);
}

bool Archive::WriteCount(std::uint64_t count) {
  unsigned char bytes[4];
  PutU32(bytes, static_cast<std::uint32_t>(count));
  return file_.WriteAt(kCountOffset, bytes, sizeof bytes);
}

bool Archive::WriteZeros(std::uint64_t from, std::uint64_t to) {
  std::memset(g_transfer, 0, kTransferSize);
  while (from < to) {
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(kTransferSize, to - from));
    if (!file_.WriteAt(from, g_transfer, n)) return false;
    from += n;
  }
  return true;
}

// Every record after `index` one slot lower, then zero bytes over the former
// last slot, written from the directory in memory (which equals the file's).
bool Archive::ShiftRecordsDown(std::size_t index) {
  const std::uint64_t end = SlotPosition(directory_.size());
  for (std::uint64_t at = SlotPosition(index); at < end;) {
    const std::uint64_t to = WriteEnd(at, end);
    const std::size_t n = static_cast<std::size_t>(to - at);
    EncodeShifted(directory_, at, g_transfer, n);
    if (!file_.WriteAt(at, g_transfer, n)) return false;
    at = to;
  }
  return true;
}

// Copies the first `bytes` bytes of source to `position`, the last sector
// padded with zero bytes. A source that ends early, or that no longer holds
// what the journal was told (it was read once for it), fails: the change's
// journal holds what the whole file was to leave.
bool Archive::CopyIn(File& source, std::uint64_t bytes, std::uint64_t position) {
  const std::uint64_t end = position + AlignToSector(bytes);
  for (std::uint64_t at = position; at < end;) {
    const std::uint64_t to = WriteEnd(at, end);
    const std::size_t n = static_cast<std::size_t>(to - at);
    const std::uint64_t read = at - position;
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(n, bytes > read ? bytes - read : 0));
    std::size_t got = 0;
    if (!source.ReadAt(read, g_transfer, want, &got) || got != want) return false;
    std::memset(g_transfer + want, 0, n - want);
    if (!journal_.Expects(at, g_transfer, n) || !file_.WriteAt(at, g_transfer, n)) return false;
    at = to;
  }
  return true;
}

bool Archive::MoveToEnd(std::size_t index, std::uint64_t position) {
  Entry& entry = directory_[index];
  if (!FillTo(position) || !CopyFromArchive(entry.DataBegin(), file_, position,
                                            std::uint64_t{entry.size} * kSectorSize)) {
    return false;
  }
  unsigned char field[4];
  PutU32(field, static_cast<std::uint32_t>(position / kSectorSize));
  if (!file_.WriteAt(SlotPosition(index), field, sizeof field)) return false;
  entry.offset = static_cast<std::uint32_t>(position / kSectorSize);
  return MeasureLength();
}

// Copies whole bytes of the archive from `from` to `to` in target, which may
// be the archive itself; fails when the archive ends early.
bool Archive::CopyFromArchive(std::uint64_t from, File& target, std::uint64_t to,
                              std::uint64_t bytes) {
  while (bytes > 0) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kTransferSize, bytes));
    std::size_t got = 0;
    if (!file_.ReadAt(from, g_transfer, n, &got) || got != n) return false;
    if (!target.WriteAt(to, g_transfer, n)) return false;
    from += n;
    to += n;
    bytes -= n;
  }
  return true;
}

}  // namespace torvane
