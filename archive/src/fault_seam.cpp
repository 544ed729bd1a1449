#include "fault_seam.h"

namespace torvane::fault {
namespace {

unsigned g_ops = 0;
unsigned long g_remaining = 0;
bool g_persist = false;
unsigned long g_failed = 0;

}  // namespace

void FailNth(unsigned ops, unsigned long nth, bool persist) {
  g_ops = ops;
  g_remaining = nth > 0 ? nth : 1;
  g_persist = persist;
  g_failed = 0;
}

unsigned long Clear() {
  const unsigned long failed = g_failed;
  g_ops = 0;
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
  return true;
}

}  // namespace torvane::fault
