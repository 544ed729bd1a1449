// What the atomicity and journal tests share: the four kinds of change that
// overwrite bytes of an archive, and running one with the file layer's test
// seam armed (against the test build of the archive code).
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "archive_fixture.h"
#include "fault_seam.h"

namespace tvtest {

// Every kind of call the seam can fail or hook, reads included.
constexpr unsigned kEveryCall = fault::kChanges | fault::kRead;

// One change: the archive it starts from, the call, and what the call returns
// when it succeeds.
struct Change {
  std::string what;
  Bytes before;
  std::function<int()> call;
  int done;
};

class ChangeTest : public ArchiveTest {
 protected:
  void SetUp() override;
  void TearDown() override {
    fault::Clear();
    ArchiveTest::TearDown();
  }

  // Writes the archive as it was before the change, opens it, arms the seam
  // and makes the call. *fired: whether the seam failed (or hooked) a call.
  int Run(const Change& change, const std::function<void()>& arm, bool* fired);
  // The archive after the change ran untroubled.
  Bytes Outcome(const Change& change);
  // Opens the archive again (rolling back what a journal holds) and closes it;
  // no journal is left. The archive then.
  Bytes Reopened();
  // Runs the change (as Run) with every write failing once `writes` writes
  // have been made after the journal became durable.
  int RunFailingWritesAfter(const Change& change, unsigned long writes, bool* fired);
  // The same when it leaves a journal: the archive and the journal then.
  std::pair<Bytes, Bytes> LeaveJournal(const Change& change, unsigned long writes);

  std::string archive_ = dir_.Path("gta3.img");
  std::string journal_ = archive_ + "-journal";
  // An in-place replacement larger than the transfer buffer, a replacement to
  // the end, an addition that moves an entry, and a deletion from a directory
  // of 3000 records.
  std::vector<Change> changes_;
};

}  // namespace tvtest
