// The seam of Torvane's file layer for tests: the N-th read, write, sync,
// rename, truncation, deletion or close can be made to fail, as a full disk or a
// failing device would, the same way on every platform; or a hook can run just
// before it (a test ends the process there, as a crash would). Only the test
// build of the archive code (TORVANE_FAULT_SEAM) has it; in the shipped library
// every check is the constant false and nothing can reach the seam.
#pragma once

namespace torvane::fault {

// The kinds of call the seam can fail; combine them as bits.
enum Op : unsigned {
  kWrite = 1u << 0,
  kSync = 1u << 1,
  kRename = 1u << 2,
  kTruncate = 1u << 3,
  kDelete = 1u << 4,
  kClose = 1u << 5,
  kRead = 1u << 6,
};
// Every call that changes what is on disk, or reports whether it did.
constexpr unsigned kChanges = kWrite | kSync | kRename | kTruncate | kDelete | kClose;

// From now on the nth call (1: the next one) of the kinds in `ops` fails; with
// `persist`, every later one of those kinds fails too.
void FailNth(unsigned ops, unsigned long nth, bool persist = false);

// From now on, just before the nth call of the kinds in `ops`, hook runs; the
// call then goes ahead (if hook returns at all).
void HookNth(unsigned ops, unsigned long nth, void (*hook)());

// Disarms the seam; returns how many calls it failed (or hooked) since it was armed.
unsigned long Clear();

// Counts the call and tells whether it must fail.
bool Fails(Op op);

}  // namespace torvane::fault

#ifdef TORVANE_FAULT_SEAM
#define TORVANE_FAULT(op) ::torvane::fault::Fails(::torvane::fault::op)
#else
#define TORVANE_FAULT(op) false
#endif
