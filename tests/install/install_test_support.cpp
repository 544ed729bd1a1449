#include "install_test_support.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "demo_game.h"
#include "error.h"
#include "file_system.h"
#include "torvane.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace wrenfield::testing {

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  const auto base = fs::temp_directory_path();
  for (;;) {
    const auto candidate = base / ("wrenfield-install-" + std::to_string(std::rand()) + "-" +
                                   std::to_string(counter++));
    if (fs::create_directory(candidate)) {
      path_ = candidate.string();
      return;
    }
  }
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string ScratchDir::operator/(const std::string& name) const { return JoinPath(path_, name); }

::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return ::testing::AssertionFailure() << actual.size() << " bytes where " << expected.size()
                                       << " were expected; first difference at byte " << at;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(fs::path(path), ignored);
}

void MakeDir(const std::string& path) { fs::create_directories(fs::path(path)); }

unsigned long ProcessId() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

std::map<std::string, std::string> TreeSnapshot(const std::string& folder) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string relative = fs::relative(entry.path(), folder).string();
    tree[relative] = entry.is_directory() ? "<dir>" : ReadAll(entry.path().string());
  }
  return tree;
}

std::string ExtractEntry(const std::string& archive, const std::string& name) {
  ScratchDir out;
  const std::string target = out / "entry.bin";
  const int opened = IMGOpen(archive.c_str());
  const int extracted = opened == TORVANE_OK ? IMGExtractFile(name.c_str(), target.c_str()) : -1;
  IMGClose();
  if (opened != TORVANE_OK || extracted != TORVANE_OK) return "<error>";
  return Exists(target) ? ReadAll(target) : "<none>";
}

std::string AsEntry(std::string bytes) {
  bytes.append((2048 - bytes.size() % 2048) % 2048, '\0');
  return bytes;
}

DemoInstall::DemoInstall(std::size_t entries)
    : game(dir / "game"), mod(dir / "mod"), replacedHandlingId(kDemoHandlingId) {
  DemoGameOptions gameOptions;
  gameOptions.entryCount = entries;
  WriteDemoGame(game, gameOptions);
  DemoModOptions modOptions;
  modOptions.modelSize = 5000;  // fits the stock entries' allotment of up to 3 sectors
  modOptions.textureSize = 3000;
  WriteDemoMod(mod, modOptions);
  fields.vehicles = DemoVehiclesLine();
  fields.handling = DemoHandlingLine();
  fields.carcols = DemoCarcolsLine();
  fields.carmods = DemoCarmodsLine();
  fields.DFF = JoinPath(mod, "monster.dff");
  fields.TXD = JoinPath(mod, "monster.txd");
}

std::string DemoInstall::archive() const { return JoinPath(JoinPath(game, "models"), "gta3.img"); }

std::string DemoInstall::data(const char* name) const {
  return JoinPath(JoinPath(game, "data"), name);
}

std::string Install(const std::string& game, const TInstallFields& fields,
                    const std::string& replacedHandlingId, RecordingProgress& progress) {
  try {
    InstallVehicle(game, fields, replacedHandlingId, progress);
  } catch (const Error& e) {
    return e.message();
  }
  return "";
}

std::string Install(const DemoInstall& demo, RecordingProgress& progress) {
  return Install(demo.game, demo.fields, demo.replacedHandlingId, progress);
}

}  // namespace wrenfield::testing
