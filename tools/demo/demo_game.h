// A demo game folder and a demo vehicle mod, generated from the stock vehicle
// tables: what the tests, the benchmark and the command-line demo install into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "install_fields.h"

namespace wrenfield {

struct DemoGameOptions {
  // Archive entries: a .dff and a .txd for every stock model first, then
  // numbered fillers. Fewer than the stock entries keeps the first ones.
  std::size_t entryCount = 424;
  // When nonzero, the archive is made about this many bytes long by giving
  // every entry an equal share, written sparsely (only the directory and
  // the entries' first sectors hold bytes).
  std::uint64_t archiveSize = 0;
};

// Writes <gameDir>/data/{handling.cfg,vehicles.ide,carcols.dat,carmods.dat}
// (CR LF lines, every stock vehicle) and <gameDir>/models/gta3.img, creating
// the folders. Throws Error when a file cannot be written.
void WriteDemoGame(const std::string& gameDir, const DemoGameOptions& options = {});

struct DemoModOptions {
  std::size_t modelSize = 300 * 1024;
  std::size_t textureSize = 1024 * 1024;
};

// The vehicle the demo mod replaces: model "monster" (id 444), handling
// identifier MONSTER. Its name begins those of monstera and monsterb, whose
// lines an installation must leave alone.
inline constexpr char kDemoModelName[] = "monster";
inline constexpr char kDemoHandlingId[] = "MONSTER";

// Writes <modDir>/monster.dff, monster.txd (a clump and a texture dictionary of
// the game's library version, padded to the given sizes) and readme.txt holding
// the vehicle's four data lines.
void WriteDemoMod(const std::string& modDir, const DemoModOptions& options = {});

// The four lines the demo read-me carries, as the reader puts them into the
// install fields.
std::string DemoVehiclesLine();
std::string DemoHandlingLine();  // tab-separated, as the reader leaves it
std::string DemoCarcolsLine();
std::string DemoCarmodsLine();

// The install fields as the reader fills them for the demo mod in modDir.
TInstallFields DemoModFields(const std::string& modDir);

// Deterministic content for a file of the given size, different per seed.
std::string DemoBytes(std::size_t size, std::uint32_t seed);

}  // namespace wrenfield
