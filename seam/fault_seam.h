// The file layers' seam for tests, shared by Torvane and Wrenfield: the N-th
// read, write, sync, rename, truncation, deletion or close that either layer
// makes can be made to fail, as a full disk or a failing device would, the same
// way on every platform; or a hook can run just before it (a test ends the
// process there, as a crash would). Both layers count their calls in the one
// counter, so a test walks every call of an installation, whichever layer makes it.
//
// Only test builds define FAULT_SEAM (the test variants of Torvane's archive
// code and of Wrenfield's base library). Everywhere else FAULT_AT is the
// constant false and the seam's functions and state do not exist, so the
// shipped binaries hold nothing of it.
#pragma once

#ifdef FAULT_SEAM

namespace fault {

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

namespace detail {

constexpr int kKinds = 7;

struct State {
  unsigned ops = 0;             // kinds still armed
  unsigned long remaining = 0;  // calls of those kinds up to and with the failing one
  bool persist = false;
  void (*hook)() = nullptr;
  unsigned long failed = 0;
  unsigned long calls[kKinds] = {};
};

// One state for the whole test program: both layers are linked into it statically.
inline State g_state;

inline int IndexOf(Op op) {
  int index = 0;
  while ((1u << index) != op && index + 1 < kKinds) ++index;
  return index;
}

inline void Arm(unsigned ops, unsigned long nth, bool persist, void (*hook)()) {
  g_state = State();
  g_state.ops = ops;
  g_state.remaining = nth > 0 ? nth : 1;
  g_state.persist = persist;
  g_state.hook = hook;
}

}  // namespace detail

// From now on the nth call (1: the next one) of the kinds in `ops` fails; with
// `persist`, every later one of those kinds fails too (the device is gone).
inline void FailNth(unsigned ops, unsigned long nth, bool persist = false) {
  detail::Arm(ops, nth, persist, nullptr);
}

// From now on, just before the nth call of the kinds in `ops`, hook runs; the
// call then goes ahead (if hook returns at all).
inline void HookNth(unsigned ops, unsigned long nth, void (*hook)()) {
  detail::Arm(ops, nth, false, hook);
}

// Disarms the seam; returns how many calls it failed (or hooked) since it was armed.
inline unsigned long Clear() {
  const unsigned long failed = detail::g_state.failed;
  detail::g_state = detail::State();
  return failed;
}

// How many calls of that kind the layers made since the seam was last armed or cleared.
inline unsigned long Calls(Op op) { return detail::g_state.calls[detail::IndexOf(op)]; }

// For the file layers: counts the call and tells whether it must fail.
inline bool Fails(Op op) {
  detail::State& s = detail::g_state;
  ++s.calls[detail::IndexOf(op)];
  if ((s.ops & op) == 0) return false;
  if (s.remaining > 1) {
    --s.remaining;
    return false;
  }
  ++s.failed;
  s.remaining = 0;
  if (!s.persist) s.ops = 0;
  if (s.hook != nullptr) {
    s.hook();
    return false;
  }
  return true;
}

}  // namespace fault

#define FAULT_AT(op) ::fault::Fails(::fault::op)
#else
#define FAULT_AT(op) false
#endif
