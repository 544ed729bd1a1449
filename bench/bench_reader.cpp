// The mod folder reader on a typical read-me and on read-mes of growing size up
// to 1 MB, whose data lines come last so that every pass walks the whole text.
#include <benchmark/benchmark.h>

#include <string>

#include "file_bytes.h"
#include "file_system.h"
#include "read_data.h"
#include "scratch_dir.h"

namespace {

using namespace wrenfield;

const char kDataLines[] =
    "MESA 1300.0 1900.0 3.0 0.0 0.2 -0.3 85 0.70 0.80 0.50 5 160.0 24.0 15.0 4 D 8.0 0.50 0 "
    "35.0\r\n"
    "500, mesa, mesa, car, MESA, MESAA, null, normal, 8, 0, 0, -1, 0.8, 0.8, 0\r\n"
    "mesa, 75,84, 40,84, 40,110, 28,119, 25,119, 21,119, 13,119, 4,119\r\n"
    "mesa, exh_b_l, exh_b_m, exh_b_t, lgt_b_rspt, lgt_b_sspt, nto_b_l, nto_b_s, nto_b_tw\r\n";

// Prose that names no stock vehicle, as an author's notes between the lines.
const char kProse[] =
    "Thanks for downloading! Copy the files with the installer, back up your game first.\r\n"
    "Model and textures made from scratch; do not reupload without permission, please.\r\n";

// A mod folder with a read-me of about `size` bytes, a model and a texture.
std::string MakeModFolder(std::size_t size) {
  static testing::ScratchDir scratch("bench-reader");
  const std::string folder = scratch.MakeFolder("mod-" + std::to_string(size));
  std::string text;
  while (text.size() + sizeof kDataLines < size) text += kProse;
  text += kDataLines;
  testing::WriteAll(JoinPath(folder, "readme.txt"), text);
  testing::WriteAll(JoinPath(folder, "mesa.dff"), "model");
  testing::WriteAll(JoinPath(folder, "mesa.txd"), "texture");
  return folder;
}

void ScanFolder(benchmark::State& state, const std::string& folder, std::size_t bytes) {
  for (auto _ : state) {
    TInstallFields fields;
    std::string replaced;
    ReadData(folder, fields, replaced);
    benchmark::DoNotOptimize(fields);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.SetComplexityN(static_cast<int64_t>(bytes));
}

void BM_ReadDataTypicalReadme(benchmark::State& state) {
  static const std::string folder = MakeModFolder(2048);
  ScanFolder(state, folder, 2048);
}
BENCHMARK(BM_ReadDataTypicalReadme)->Unit(benchmark::kMicrosecond);

void BM_ReadDataBySize(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const std::string folder = MakeModFolder(size);
  ScanFolder(state, folder, size);
}
BENCHMARK(BM_ReadDataBySize)
    ->RangeMultiplier(4)
    ->Range(16 << 10, 1 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
