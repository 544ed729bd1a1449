// The whole installation into a demo game whose gta3.img has 16,000 entries
// and about 1 GiB (sparse), beside a plain copy of the same model and texture
// bytes. The mod's model is 300 KiB and its texture dictionary 1 MiB.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "demo_game.h"
#include "error.h"
#include "file_system.h"
#include "install_fields.h"
#include "install_vehicle.h"
#include "scratch_dir.h"

namespace {

namespace fs = std::filesystem;

class QuietProgress : public wrenfield::InstallProgress {
 public:
  void ArchiveOpened() override {}
  void Installed() override {}
  void Ended() override {}
};

// The demo game and mod, made once for the whole run.
struct BenchGame {
  BenchGame() : game(dir.Path("game")), mod(dir.Path("mod")) {
    wrenfield::DemoGameOptions options;
    options.entryCount = 16000;
    options.archiveSize = 1ull << 30;
    wrenfield::WriteDemoGame(game, options);
    wrenfield::WriteDemoMod(mod);
    fields.vehicles = wrenfield::DemoVehiclesLine();
    fields.handling = wrenfield::DemoHandlingLine();
    fields.carcols = wrenfield::DemoCarcolsLine();
    fields.carmods = wrenfield::DemoCarmodsLine();
    fields.DFF = wrenfield::JoinPath(mod, "monster.dff");
    fields.TXD = wrenfield::JoinPath(mod, "monster.txd");
  }
  wrenfield::testing::ScratchDir dir{"bench-install"};
  std::string game, mod;
  wrenfield::TInstallFields fields;
};

BenchGame& Game() {
  static BenchGame game;
  return game;
}

void BM_InstallVehicle(benchmark::State& state) {
  BenchGame& game = Game();
  QuietProgress progress;
  for (auto _ : state) {
    try {
      wrenfield::InstallVehicle(game.game, game.fields, wrenfield::kDemoHandlingId, progress);
    } catch (const wrenfield::Error& e) {
      state.SkipWithError(e.what());
      break;
    }
  }
  const auto bytes = fs::file_size(game.fields.DFF) + fs::file_size(game.fields.TXD);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_InstallVehicle)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Reads the model and the texture dictionary and writes them to new files.
void BM_PlainCopyOfModelAndTexture(benchmark::State& state) {
  BenchGame& game = Game();
  const std::string targets[] = {game.dir.Path("copy.dff"), game.dir.Path("copy.txd")};
  const std::string sources[] = {game.fields.DFF, game.fields.TXD};
  for (auto _ : state) {
    for (int i = 0; i < 2; ++i) {
      std::ifstream in(sources[i], std::ios::binary);
      std::ofstream out(targets[i], std::ios::binary | std::ios::trunc);
      out << in.rdbuf();
    }
  }
  const auto bytes = fs::file_size(game.fields.DFF) + fs::file_size(game.fields.TXD);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_PlainCopyOfModelAndTexture)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
