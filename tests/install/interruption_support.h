// What the tests that fail or interrupt an installation or an undo at each of
// its file operations share: the file layers' seam, and the demo game's state
// before and after the demo installation.
#pragma once

#include <memory>
#include <string>

#include "install_test_support.h"

namespace wrenfield::testing {

// The work writes through two file layers, Wrenfield's (data files, backups,
// the record) and Torvane's (the archive, the extracted entries); the seam
// counts the calls of both in one sequence.

// From now on the nth write, sync, rename, truncation, deletion or close of
// either layer fails; with `persist`, every later one too (the device is gone).
void Arm(unsigned long nth, bool persist);
// Disarms the seam; returns how many calls it failed.
unsigned long Disarm();
// From now on, just before the nth such call, hook runs (a test ends its
// process there, as a crash would).
void ArmHook(unsigned long nth, void (*hook)());

// A fresh demo game and mod, copied from one generated once.
std::unique_ptr<DemoInstall> FreshDemo();

// The demo game before the demo installation and after it, taken once.
const GameState& StateBeforeInstall();
const GameState& StateAfterInstall();

// "" when the game is as before or after the installation, otherwise where it
// parts from the nearer of the two.
std::string NeitherBeforeNorAfter(const GameState& state);

// "" when each backup of a data file is absent or a whole copy of the stock
// data file (an installation refreshes them and never restores them).
std::string BackupsNotStockCopies(const DemoInstall& demo);

// True when a temporary file of the program lies anywhere under the folder.
bool HasTemporaryFiles(const std::string& folder);

}  // namespace wrenfield::testing
