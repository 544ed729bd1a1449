#include "install_test_support.h"

#include <filesystem>
#include <set>

#include "archive_image.h"
#include "demo_game.h"
#include "error.h"
#include "error_of.h"
#include "file_system.h"
#include "install_record.h"
#include "install_undo.h"
#include "plain_text.h"
#include "torvane.h"

namespace wrenfield::testing {

std::string ExtractEntry(const std::string& archive, const std::string& name) {
  ScratchDir out("extract");
  const std::string target = out.Path("entry.bin");
  const int opened = IMGOpen(archive.c_str());
  const int extracted = opened == TORVANE_OK ? IMGExtractFile(name.c_str(), target.c_str()) : -1;
  IMGClose();
  if (opened != TORVANE_OK || extracted != TORVANE_OK) return "<error>";
  return Exists(target) ? ReadAll(target) : "<none>";
}

DemoInstall::DemoInstall(std::size_t entries)
    : game(dir.Path("game")),
      mod(dir.Path("mod")),
      fields(DemoModFields(mod)),
      replacedHandlingId(kDemoHandlingId) {
  DemoGameOptions gameOptions;
  gameOptions.entryCount = entries;
  WriteDemoGame(game, gameOptions);
  DemoModOptions modOptions;
  modOptions.modelSize = 5000;  // fits the stock entries' allotment of up to 3 sectors
  modOptions.textureSize = 3000;
  WriteDemoMod(mod, modOptions);
}

namespace {

// The data file's line that begins with key as a whole name.
std::string StockLine(const std::string& dataFile, const std::string& key) {
  for (const std::string& line : SplitLines(ReadAll(dataFile))) {
    if (line.rfind(key, 0) == 0 && line.size() > key.size() &&
        (line[key.size()] == ',' || line[key.size()] == ' ' || line[key.size()] == '\t')) {
      return line;
    }
  }
  return "<no line for " + key + ">";
}

}  // namespace

TInstallFields OtherVehicleFields(const DemoInstall& demo, const std::string& model,
                                  const std::string& handlingId, unsigned seed) {
  const std::string mod = demo.dir.Path("mod-" + model + "-" + std::to_string(seed));
  MakeDir(mod);
  TInstallFields fields;
  const std::string tail = " " + std::to_string(seed);
  fields.carcols = StockLine(demo.data("carcols.dat"), model) + tail;
  fields.carmods = StockLine(demo.data("carmods.dat"), model) + tail;
  fields.handling = StockLine(demo.data("handling.cfg"), handlingId) + tail;
  const std::string vehicles = ReadAll(demo.data("vehicles.ide"));
  const std::size_t named = vehicles.find(",\t" + model + ", ");
  const std::size_t start = vehicles.rfind('\n', named) + 1;
  fields.vehicles = vehicles.substr(start, vehicles.find('\r', start) - start) + tail;
  fields.DFF = JoinPath(mod, model + ".dff");
  fields.TXD = JoinPath(mod, model + ".txd");
  WriteAll(fields.DFF, DemoBytes(3000 + seed * 700, seed));
  WriteAll(fields.TXD, DemoBytes(2000 + seed * 900, seed + 100));
  return fields;
}

GameState StateOf(const std::string& game) {
  GameState state;
  for (const char* name : {"carcols.dat", "handling.cfg", "vehicles.ide", "carmods.dat"}) {
    state.dataFiles[name] = ReadAll(JoinPath(JoinPath(game, "data"), name));
  }
  const Bytes image = ReadAll(JoinPath(JoinPath(game, "models"), "gta3.img"));
  for (const Record& record : DirectoryOf(image)) {
    const bool inside = (std::uint64_t{record.offset} + record.size) * 2048 <= image.size();
    state.entries[record.name] =
        inside ? SectorsOf(image, record.offset, record.size) : "<past the end>";
  }
  return state;
}

std::string StateDifference(const GameState& actual, const GameState& expected) {
  for (const auto& [name, bytes] : expected.dataFiles) {
    const std::string difference = DescribeDifference(actual.dataFiles.at(name), bytes);
    if (!difference.empty()) return name + ": " + difference;
  }
  for (const auto& [name, bytes] : expected.entries) {
    const auto found = actual.entries.find(name);
    if (found == actual.entries.end()) return "entry " + name + " missing";
    const std::string difference = DescribeDifference(found->second, bytes);
    if (!difference.empty()) return "entry " + name + ": " + difference;
  }
  for (const auto& [name, bytes] : actual.entries) {
    if (expected.entries.count(name) == 0) return "entry " + name + " added";
  }
  return "";
}

DemoInstall::DemoInstall(const DemoInstall& pattern)
    : game(dir.Path("game")),
      mod(dir.Path("mod")),
      fields(pattern.fields),
      replacedHandlingId(pattern.replacedHandlingId) {
  std::filesystem::copy(pattern.game, game, std::filesystem::copy_options::recursive);
  std::filesystem::copy(pattern.mod, mod, std::filesystem::copy_options::recursive);
  fields.DFF = JoinPath(mod, "monster.dff");
  fields.TXD = JoinPath(mod, "monster.txd");
}

std::string DemoInstall::archive() const { return JoinPath(JoinPath(game, "models"), "gta3.img"); }

std::string DemoInstall::data(const char* name) const {
  return JoinPath(JoinPath(game, "data"), name);
}

std::string Install(const std::string& game, const TInstallFields& fields,
                    const std::string& replacedHandlingId, RecordingProgress& progress) {
  return ErrorOf([&] { InstallVehicle(game, fields, replacedHandlingId, progress); });
}

std::string Install(const DemoInstall& demo, RecordingProgress& progress) {
  return Install(demo.game, demo.fields, demo.replacedHandlingId, progress);
}

std::string UndoMessage(const std::string& game, unsigned number, bool force) {
  try {
    return UndoInstall(game, number, force).message;
  } catch (const Error& e) {
    return "refused: " + e.message();
  }
}

void MarkInterrupted(const std::string& game, unsigned number) {
  InstallRecord record;
  ASSERT_TRUE(ReadRecord(game, number, record));
  record.state = RecordState::kInProgress;
  WriteManifest(game, record);
}

void PutEntry(const std::string& archive, const std::string& name, const std::string& bytes) {
  ScratchDir scratch("entry");
  const std::string file = scratch.Write("entry.bin", bytes);
  ASSERT_EQ(IMGOpen(archive.c_str()), TORVANE_OK);
  const int added = IMGAddFile(file.c_str(), name.c_str(), 1);
  IMGClose();
  ASSERT_EQ(added, TORVANE_OK);
}

namespace {

template <typename Map>
std::string ValueOr(const Map& items, const std::string& name) {
  const auto found = items.find(name);
  return found == items.end() ? "<none>" : found->second;
}

template <typename Map>
std::string ItemNotAtAnyOf(const Map GameState::*items, const std::string& kind,
                           const GameState& state, const std::vector<const GameState*>& allowed) {
  std::set<std::string> names;
  for (const auto& item : state.*items) names.insert(item.first);
  for (const GameState* other : allowed) {
    for (const auto& item : other->*items) names.insert(item.first);
  }
  for (const std::string& name : names) {
    const std::string value = ValueOr(state.*items, name);
    bool known = false;
    for (const GameState* other : allowed) known = known || ValueOr(other->*items, name) == value;
    if (!known) return kind + " " + name + " is at no recorded state";
  }
  return "";
}

}  // namespace

std::string ItemsNotAtAnyOf(const GameState& state, const std::vector<const GameState*>& allowed) {
  const std::string files = ItemNotAtAnyOf(&GameState::dataFiles, "data file", state, allowed);
  return files.empty() ? ItemNotAtAnyOf(&GameState::entries, "entry", state, allowed) : files;
}

}  // namespace wrenfield::testing
