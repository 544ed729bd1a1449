// What the installation tests share beyond the test-support layer: a demo game
// with its mod and the install fields the reader fills for it, a recording
// progress, and entries read back out of the archive.
#pragma once

#include <gtest/gtest.h>

#include <string>

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
  ScratchDir dir{"install"};
  std::string game;
  std::string mod;
  TInstallFields fields;
  std::string replacedHandlingId;
  std::string archive() const;
  std::string data(const char* name) const;  // <game>/data/<name>
};

// Records the callbacks as letters: O (opened), I (installed), E (ended).
class RecordingProgress : public InstallProgress {
 public:
  void ArchiveOpened() override { events += 'O'; }
  void Installed() override { events += 'I'; }
  void Ended() override { events += 'E'; }
  std::string events;
};

// InstallVehicle; returns "" on success, otherwise the error's message.
std::string Install(const DemoInstall& demo, RecordingProgress& progress);
std::string Install(const std::string& game, const TInstallFields& fields,
                    const std::string& replacedHandlingId, RecordingProgress& progress);

}  // namespace wrenfield::testing
