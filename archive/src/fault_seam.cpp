#include "fault_seam.h"

namespace torvane::fault {
namespace {

unsigned g_ops = 0;
unsigned long g_remaining = 0;
bool g_persist = false;
void (*g_hook)() = nullptr;
unsigned long g_failed = 0;

void Arm(unsigned ops, unsigned long nth, bool persist, void (*hook)()) {
  g_ops = ops;
  g_remaining = nth > 0 ? nth : 1;
  g_persist = persist;
  g_hook = hook;
  g_failed = 0;
}

}  // namespace

void FailNth(unsigned ops, unsigned long nth, bool persist) { Arm(ops, nth, persist, nullptr); }

void HookNth(unsigned ops, unsigned long nth, void (*hook)()) { Arm(ops, nth, false, hook); }

unsigned long Clear() {
  const unsigned long failed = g_failed;
  g_ops = 0;
  g_hook = nullptr;
  g_failed = 0;
  return failed;
}

bool Fails(Op op) {
  if ((g_ops & op) == 0) return false;
  if (g_remaining > 1) {
    --g_remaining;
    return false;
  }
  ++g_failed;
  g_remaining = 0;
  if (!g_persist) g_ops = 0;
  if (g_hook != nullptr) {
    g_hook();
    return false;
  }
  return true;
}

}  // namespace torvane::fault
