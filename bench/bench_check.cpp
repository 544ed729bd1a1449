// The mod check of a mod with a 5 MB model (many geometries, as a detailed car
// has) and a 5 MB texture dictionary against a 16,000-entry demo archive: the
// chunk walks, the data lines and the archive's directory, as the window and
// `install` run it before every installation.
#include <benchmark/benchmark.h>

#include <string>

#include "demo_game.h"
#include "file_bytes.h"
#include "mod_check.h"
#include "rw_stream.h"
#include "scratch_dir.h"

namespace {

using namespace wrenfield;

constexpr std::size_t kFiveMegabytes = 5u << 20;

struct CheckedMod {
  testing::ScratchDir dir{"bench-check"};
  std::string game = dir.Path("game");
  TInstallFields fields;

  CheckedMod() {
    DemoGameOptions options;
    options.entryCount = 16000;
    options.archiveSize = 1ull << 30;
    WriteDemoGame(game, options);
    const std::string mod = dir.MakeFolder("mod");
    WriteDemoMod(mod, {4096, 4096});
    fields = DemoModFields(mod);
    testing::WriteAll(fields.DFF, rw_stream::Clump(kFiveMegabytes, rw_stream::kGameStamp, 400));
    testing::WriteAll(fields.TXD, rw_stream::TextureDictionary(64, kFiveMegabytes,
                                                               rw_stream::kGameStamp, "monster"));
  }
};

void BM_CheckMod5MBFiles16kEntries(benchmark::State& state) {
  static const CheckedMod mod;
  for (auto _ : state) {
    const Findings findings = CheckMod(mod.game, mod.fields);
    if (!findings.empty()) state.SkipWithError("the demo mod should pass clean");
    benchmark::DoNotOptimize(findings);
  }
}
BENCHMARK(BM_CheckMod5MBFiles16kEntries)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
