// The file layer's seam for tests: a test can make the N-th write, sync,
// rename or close that the layer makes fail, as a full disk or a failing
// device would, the same way on every platform. Nothing but a test arms it;
// unarmed it costs a counter and a comparison per call.
#pragma once

namespace wrenfield {

// The kinds of call the seam can fail; combine them as bits.
enum FileOp : unsigned {
  kFileWrite = 1u << 0,
  kFileSync = 1u << 1,
  kFileRename = 1u << 2,
  kFileClose = 1u << 3,
};

// From now on the nth call (1: the next one) of the kinds in `ops` fails; with
// `persist`, every later one of those kinds fails too (the device is gone).
void FailFileOp(unsigned ops, unsigned long nth, bool persist = false);

// From now on, just before the nth call of the kinds in `ops`, hook runs; the
// call then goes ahead (if hook returns at all): a test that ends its process
// there sees what a crash at that call leaves.
void HookFileOp(unsigned ops, unsigned long nth, void (*hook)());

// Disarms the seam; returns how many calls it failed (or hooked) since it was armed.
unsigned long ClearFileFault();

// How many calls of that kind the layer made since the last FailFileOp or
// ClearFileFault.
unsigned long FileOpCalls(FileOp op);

// For the platform layers: counts the call, and tells whether it must fail.
bool FileOpFails(FileOp op);

}  // namespace wrenfield
