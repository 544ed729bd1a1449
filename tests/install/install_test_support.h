// What the installation tests share beyond the test-support layer: a demo game
// with its mod and the install fields the reader fills for it, a recording
// progress, and entries read back out of the archive.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "gtest_support.h"
#include "install_fields.h"
#include "install_vehicle.h"
#include "scratch_dir.h"

namespace wrenfield::testing {

// The entry's bytes as IMGExtractFile writes them; "<none>" when absent.
std::string ExtractEntry(const std::string& archive, const std::string& name);

// The bytes an entry holds after a file was put in.
inline std::string AsEntry(std::string bytes) { return Padded(std::move(bytes)); }

// The demo game (a small archive) and the demo mod, with the install fields
// as the reader fills them for that mod.
struct DemoInstall {
  explicit DemoInstall(std::size_t entries = 424);
  // A copy of another demo's game and mod folders (plain file copies, much
  // quicker than generating them), with the fields pointing into the copy.
  explicit DemoInstall(const DemoInstall& pattern);
  ScratchDir dir{"install"};
  std::string game;
  std::string mod;
  TInstallFields fields;
  std::string replacedHandlingId;
  std::string archive() const;
  std::string data(const char* name) const;  // <game>/data/<name>
};

// Install fields for another stock vehicle of the demo game: its own stock
// line of each data file with a changed tail (so take them before installing
// into the game), and a model and texture of its own (seeded bytes) in a mod
// folder of their own.
TInstallFields OtherVehicleFields(const DemoInstall& demo, const std::string& model,
                                  const std::string& handlingId, unsigned seed);

// The four data files and every entry of the archive (name -> sectors), taken
// together: what an installation changes and an undo must give back.
struct GameState {
  std::map<std::string, std::string> dataFiles;
  std::map<std::string, std::string> entries;
  bool operator==(const GameState& other) const {
    return dataFiles == other.dataFiles && entries == other.entries;
  }
  bool operator!=(const GameState& other) const { return !(*this == other); }
};
GameState StateOf(const std::string& game);
// Where two states part ("" when equal), for a failure message.
std::string StateDifference(const GameState& actual, const GameState& expected);

// Records the callbacks as letters: O (opened), R (recovered), I (installed),
// E (ended); the recovery messages apart.
class RecordingProgress : public InstallProgress {
 public:
  void ArchiveOpened() override { events += 'O'; }
  void Installed() override { events += 'I'; }
  void Ended() override { events += 'E'; }
  void Recovered(const std::string& message) override {
    events += 'R';
    recovered.push_back(message);
  }
  std::string events;
  std::vector<std::string> recovered;
};

// UndoInstall's message, or "refused: " followed by the error's message.
std::string UndoMessage(const std::string& game, unsigned number, bool force = false);

// Sets record `number` back to "in progress": an installation interrupted
// after its last change, which the next recovery rolls back.
void MarkInterrupted(const std::string& game, unsigned number);

// Puts the bytes into the archive under the name, as a player's own tool
// would, replacing an entry of that name.
void PutEntry(const std::string& archive, const std::string& name, const std::string& bytes);

// Where the state holds a data file or an entry (absent counts) as none of
// the allowed states does, each taken file by file; "" when nowhere.
std::string ItemsNotAtAnyOf(const GameState& state, const std::vector<const GameState*>& allowed);

// InstallVehicle; returns "" on success, otherwise the error's message.
std::string Install(const DemoInstall& demo, RecordingProgress& progress);
std::string Install(const std::string& game, const TInstallFields& fields,
                    const std::string& replacedHandlingId, RecordingProgress& progress);

}  // namespace wrenfield::testing
