#include "interruption_support.h"

#include "fault_seam.h"

namespace wrenfield::testing {
namespace {

// A smaller archive than the demo's own (the monster's entries among the
// first): each of the many runs copies and compares it.
constexpr std::size_t kEntries = 100;

const DemoInstall& Pattern() {
  static const DemoInstall pattern(kEntries);
  return pattern;
}

struct ReferenceStates {
  ReferenceStates() {
    DemoInstall demo(Pattern());
    before = StateOf(demo.game);
    RecordingProgress progress;
    const std::string message = Install(demo, progress);
    if (!message.empty()) ADD_FAILURE() << "the reference installation failed: " << message;
    after = StateOf(demo.game);
  }
  GameState before, after;
};

const ReferenceStates& References() {
  static const ReferenceStates states;
  return states;
}

}  // namespace

std::unique_ptr<DemoInstall> FreshDemo() { return std::make_unique<DemoInstall>(Pattern()); }

void Arm(unsigned long nth, bool persist) { fault::FailNth(fault::kChanges, nth, persist); }

unsigned long Disarm() { return fault::Clear(); }

void ArmHook(unsigned long nth, void (*hook)()) { fault::HookNth(fault::kChanges, nth, hook); }

const GameState& StateBeforeInstall() { return References().before; }
const GameState& StateAfterInstall() { return References().after; }

std::string NeitherBeforeNorAfter(const GameState& state) {
  const std::string fromBefore = StateDifference(state, StateBeforeInstall());
  const std::string fromAfter = StateDifference(state, StateAfterInstall());
  if (fromBefore.empty() || fromAfter.empty()) return "";
  return "not as before (" + fromBefore + ") nor as after (" + fromAfter + ")";
}

std::string BackupsNotStockCopies(const DemoInstall& demo) {
  const std::pair<const char*, const char*> pairs[] = {{"carcols.dat", "carcols_Backup.dat"},
                                                       {"handling.cfg", "handling_Backup.cfg"},
                                                       {"vehicles.ide", "vehicles_Backup.ide"},
                                                       {"carmods.dat", "carmods_Backup.dat"}};
  for (const auto& [name, backup] : pairs) {
    if (!Exists(demo.data(backup))) continue;
    const std::string difference =
        DescribeDifference(ReadAll(demo.data(backup)), StateBeforeInstall().dataFiles.at(name));
    if (!difference.empty()) return std::string(backup) + ": " + difference;
  }
  return "";
}

bool HasTemporaryFiles(const std::string& folder) {
  for (const auto& [name, bytes] : TreeSnapshot(folder)) {
    if (name.find(".tmp") != std::string::npos) return true;
  }
  return false;
}

}  // namespace wrenfield::testing
