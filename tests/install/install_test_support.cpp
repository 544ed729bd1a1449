#include "install_test_support.h"

#include "demo_game.h"
#include "error.h"
#include "file_system.h"
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
    : game(dir.Path("game")), mod(dir.Path("mod")), replacedHandlingId(kDemoHandlingId) {
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
