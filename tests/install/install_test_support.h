// Shared helpers of the installation tests: scratch folders, whole-file reads
// and writes, a demo game with its mod, and a recording progress.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "install_fields.h"
#include "install_vehicle.h"

namespace wrenfield::testing {

// A fresh folder removed with everything in it at the end of the test.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const;

 private:
  std::string path_;
};

// Equal bytes; on a difference, the sizes and the first differing offset
// (binary contents are not printed).
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected);

std::string ReadAll(const std::string& path);  // empty when the file is missing
void WriteAll(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);  // any kind of entry
void MakeDir(const std::string& path);
unsigned long ProcessId();

// Every file of a folder tree (relative path -> bytes), folders as "<dir>".
std::map<std::string, std::string> TreeSnapshot(const std::string& folder);

// The entry's bytes as IMGExtractFile writes them; "<none>" when absent.
std::string ExtractEntry(const std::string& archive, const std::string& name);

// The bytes an entry holds after a file was put in: the file padded with zero
// bytes to whole sectors.
std::string AsEntry(std::string bytes);

// The demo game (a small archive) and the demo mod, with the install fields
// as the reader fills them for that mod.
struct DemoInstall {
  explicit DemoInstall(std::size_t entries = 424);
  ScratchDir dir;
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
