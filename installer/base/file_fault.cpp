#include "file_fault.h"

namespace wrenfield {
namespace {

struct FaultState {
  unsigned ops = 0;             // kinds still armed
  unsigned long remaining = 0;  // calls of those kinds up to and with the failing one
  bool persist = false;
  void (*hook)() = nullptr;
  unsigned long failed = 0;
  unsigned long calls[4] = {};
};

FaultState g_fault;

int IndexOf(FileOp op) {
  switch (op) {
    case kFileWrite:
      return 0;
    case kFileSync:
      return 1;
    case kFileRename:
      return 2;
    case kFileClose:
      break;
  }
  return 3;
}

}  // namespace

void FailFileOp(unsigned ops, unsigned long nth, bool persist) {
  g_fault = FaultState();
  g_fault.ops = ops;
  g_fault.remaining = nth > 0 ? nth : 1;
  g_fault.persist = persist;
}

void HookFileOp(unsigned ops, unsigned long nth, void (*hook)()) {
  FailFileOp(ops, nth, false);
  g_fault.hook = hook;
}

unsigned long ClearFileFault() {
  const unsigned long failed = g_fault.failed;
  g_fault = FaultState();
  return failed;
}

unsigned long FileOpCalls(FileOp op) { return g_fault.calls[IndexOf(op)]; }

bool FileOpFails(FileOp op) {
  ++g_fault.calls[IndexOf(op)];
  if ((g_fault.ops & op) == 0) return false;
  if (g_fault.remaining > 1) {
    --g_fault.remaining;
    return false;
  }
  ++g_fault.failed;
  g_fault.remaining = 0;
  if (!g_fault.persist) g_fault.ops = 0;
  if (g_fault.hook != nullptr) {
    g_fault.hook();
    return false;
  }
  return true;
}

}  // namespace wrenfield
