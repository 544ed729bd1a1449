#include "demo_game.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "error.h"
#include "file_system.h"
#include "img_records.h"
#include "plain_text.h"
#include "rw_stream.h"
#include "stock_tables.h"
#include "text_encoding.h"

namespace wrenfield {
namespace {

constexpr std::size_t kSpareRecords = 64;  // directory slack left for added entries
constexpr std::size_t kDemoTextures = 4;   // body, wheels, interior, lights

template <typename Table>
std::vector<std::string> ToStrings(const Table& table) {
  std::vector<std::string> strings;
  for (const auto& entry : table) strings.emplace_back(entry);
  return strings;
}

std::vector<std::string> ModelNames() { return ToStrings(StockModelNames); }
std::vector<std::string> HandlingIds() { return ToStrings(StockHandlingIds); }
std::vector<std::string> PartNames() { return ToStrings(UpgradePartNames); }

// A number that varies with the row, in the style of the game's tables.
std::string Decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::string HandlingText() {
  std::vector<std::string> lines = {
      ";", "; Demo handling data, one line per stock vehicle.", ";",
      "; identifier  mass  turn mass  drag  centre of mass  ...  flags"};
  const auto ids = HandlingIds();
  for (std::size_t i = 0; i < ids.size(); ++i) {
    std::string line = ids[i];
    line.append(ids[i].size() < 13 ? 13 - ids[i].size() : 1, ' ');
    line +=
        Decimal(800.0 + 37.0 * static_cast<double>(i % 50)) + "    " +
        Decimal(2000.0 + 113.0 * static_cast<double>(i % 70)) +
        "   2.5\t   0.0 0.0 -0.1  75  0.75 0.85 0.5  \t5 160.0 25.0 20.0 4 P \t6.2   0.60 0 "
        "35.0  \t1.4  0.10  0.0   0.28 -0.14 0.5  0.25\t\t0.27 0.23 25000 \t20\t\t\t500002\t\t0  "
        "1\t0";
    lines.push_back(line);
  }
  lines.push_back("; end of file");
  return JoinLinesCrLf(lines);
}

// The stock identifier whose lower-case form is the model name, or the model
// name in upper case for the models without one.
std::string HandlingIdOfModel(const std::string& model, const std::vector<std::string>& ids) {
  for (const auto& id : ids) {
    if (AsciiLowerCase(id) == model) return id;
  }
  return AsciiUpperCase(model);
}

std::string VehiclesText() {
  std::vector<std::string> lines = {"#", "# Demo vehicle definitions, one line per stock model.",
                                    "#", "cars"};
  const auto models = ModelNames();
  const auto ids = HandlingIds();
  for (std::size_t i = 0; i < models.size(); ++i) {
    const std::string& model = models[i];
    const std::string gameName = AsciiUpperCase(model).substr(0, 7);
    lines.push_back(std::to_string(400 + i) + ",\t" + model + ", \t" + model + ", \tcar, \t\t" +
                    HandlingIdOfModel(model, ids) + ", \t" + gameName +
                    ", \tnull,\tnormal, \t10,\t0,\t0,\t\t-1, 0.7, 0.7,\t0");
  }
  lines.push_back("end");
  return JoinLinesCrLf(lines);
}

std::string CarcolsText() {
  std::vector<std::string> lines = {"#", "# Demo car colours.", "#", "col"};
  for (int c = 0; c < 16; ++c) {
    lines.push_back(std::to_string(c * 16) + "," + std::to_string(255 - c * 16) + "," +
                    std::to_string((c * 37) % 256) + "\t# " + std::to_string(c));
  }
  lines.push_back("end");
  lines.push_back("car");
  const auto models = ModelNames();
  for (std::size_t i = 0; i < models.size(); ++i) {
    lines.push_back(models[i] + ", " + std::to_string(i % 16) + ",1, " +
                    std::to_string((i * 3) % 16) + "," + std::to_string((i * 5) % 16));
  }
  lines.push_back("end");
  lines.push_back("car4");
  for (std::size_t i = 0; i < models.size(); i += 40) {
    lines.push_back(models[i] + ", 1,1,1,1, 2,2,2,2");
  }
  lines.push_back("end");
  return JoinLinesCrLf(lines);
}

std::string CarmodsText() {
  std::vector<std::string> lines = {"#", "# Demo list of cars and their upgrade parts.", "#",
                                    "mods"};
  const auto models = ModelNames();
  const auto parts = PartNames();
  for (std::size_t i = 0; i < models.size(); ++i) {
    std::string line = models[i];
    for (std::size_t k = 0; k < 3; ++k) line += ", " + parts[(i * 7 + k * 31) % parts.size()];
    lines.push_back(line);
  }
  lines.push_back("end");
  return JoinLinesCrLf(lines);
}

// The archive's entry names: every stock model's .dff and .txd, then fillers.
std::vector<std::string> EntryNames(std::size_t count) {
  std::vector<std::string> names;
  for (const auto& model : ModelNames()) {
    names.push_back(model + ".dff");
    names.push_back(model + ".txd");
  }
  names.resize(std::min(names.size(), count));
  for (std::size_t i = names.size(); i < count; ++i) {
    std::string number = std::to_string(i);
    names.push_back("demo" + std::string(number.size() < 6 ? 6 - number.size() : 0, '0') + number +
                    (i % 2 == 0 ? ".dff" : ".txd"));
  }
  return names;
}

// Writes a file at once through the stream, raising the create error.
class DemoFile {
 public:
  explicit DemoFile(const std::string& path) : path_(path), out_(path, std::ios::binary) {
    if (!out_) Fail();
  }
  void WriteAt(std::uint64_t position, const std::string& bytes) {
    out_.seekp(static_cast<std::streamoff>(position));
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out_) Fail();
  }
  void Finish() {
    out_.close();
    if (!out_) Fail();
  }

 private:
  [[noreturn]] void Fail() {
    const std::string reason = std::strerror(errno);
    std::string converted;
    throw Error(CreateFileErrorMessage(FullPath(path_),
                                       Utf8ToCp1251Lossy(reason, converted) ? converted : reason));
  }
  std::string path_;
  std::ofstream out_;
};

// The header and directory: "VER2", the count, one record per entry.
std::string ArchiveHead(const std::vector<img::Entry>& records) {
  std::string head(img::SlotPosition(records.size()), '\0');
  auto* bytes = reinterpret_cast<unsigned char*>(head.data());
  std::memcpy(bytes, img::kMagic, sizeof img::kMagic);
  img::PutU32(bytes + img::kCountOffset, static_cast<std::uint32_t>(records.size()));
  for (std::size_t i = 0; i < records.size(); ++i) {
    img::EncodeEntry(records[i], bytes + img::SlotPosition(i));
  }
  return head;
}

void WriteDemoArchive(const std::string& path, const DemoGameOptions& options) {
  using img::kSectorSize;
  const auto names = EntryNames(options.entryCount);
  const std::uint64_t firstSector =
      img::SectorsFor(img::SlotPosition(names.size() + kSpareRecords));
  std::uint64_t share = 3;  // sectors per entry
  if (options.archiveSize > 0 && !names.empty()) {
    const std::uint64_t totalSectors = options.archiveSize / kSectorSize;
    share = std::max<std::uint64_t>(
        1, (totalSectors - std::min(totalSectors, firstSector)) / names.size());
  }

  std::vector<img::Entry> records;
  DemoFile file(path);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::uint64_t offset = firstSector + share * i;
    records.push_back(img::MakeEntry(static_cast<std::uint32_t>(offset),
                                     static_cast<std::uint32_t>(share), names[i].c_str(),
                                     names[i].size()));
    // Small archives give every entry three sectors of its own bytes; large
    // ones an equal share of which only the first sector is written.
    const std::uint64_t written = options.archiveSize > 0 ? 1 : share;
    std::string data = DemoBytes(written * kSectorSize - 100, static_cast<std::uint32_t>(i));
    data.append(100, '\0');
    file.WriteAt(offset * kSectorSize, data);
  }
  file.WriteAt(0, ArchiveHead(records));
  const std::uint64_t end = (firstSector + share * names.size()) * kSectorSize;
  if (end > 0) file.WriteAt(end - 1, std::string(1, '\0'));  // sets the length; holes stay sparse
  file.Finish();
}

void MakeDirectories(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path), error);
  if (error) throw Error(CreateFileErrorMessage(FullPath(path), error.message()));
}

}  // namespace

std::string DemoBytes(std::size_t size, std::uint32_t seed) {
  std::string bytes(size, '\0');
  std::uint32_t state = seed * 2654435761u + 0x9E3779B9u;
  for (char& byte : bytes) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<char>(state & 0xFF);
  }
  return bytes;
}

void WriteDemoGame(const std::string& gameDir, const DemoGameOptions& options) {
  const std::string data = JoinPath(gameDir, "data"), models = JoinPath(gameDir, "models");
  MakeDirectories(data);
  MakeDirectories(models);
  WriteFileReplacing(JoinPath(data, "handling.cfg"), HandlingText());
  WriteFileReplacing(JoinPath(data, "vehicles.ide"), VehiclesText());
  WriteFileReplacing(JoinPath(data, "carcols.dat"), CarcolsText());
  WriteFileReplacing(JoinPath(data, "carmods.dat"), CarmodsText());
  WriteDemoArchive(JoinPath(models, "gta3.img"), options);
}

std::string DemoVehiclesLine() {
  return "444, monster, monster, car, MONSTER, MONSTER, null, executive, 10, 0, 0, -1, 0.9, "
         "0.9, 0";
}

std::string DemoHandlingLine() {
  // The stock line's 36 fields: the model and handling flags are hex, then the
  // front and rear lights and the animation group.
  return "MONSTER\t5200.0\t21000.0\t3.0\t0.0\t0.0\t-0.35\t80\t0.70\t0.85\t0.55\t5\t120.0\t"
         "48.0\t25.0\t4\tP\t7.0\t0.45\t0\t35.0\t1.5\t0.07\t0.0\t0.45\t-0.25\t0.5\t0.3\t0.44\t"
         "0.35\t40000\t28\t1300045\t0\t1\t20";
}

std::string DemoCarcolsLine() { return "monster, 32,36, 32,42, 32,53, 32,66"; }

std::string DemoCarmodsLine() { return "monster, exh_b_l, nto_b_l, nto_b_s, nto_b_tw"; }

TInstallFields DemoModFields(const std::string& modDir) {
  TInstallFields fields;
  fields.vehicles = DemoVehiclesLine();
  fields.handling = DemoHandlingLine();
  fields.carcols = DemoCarcolsLine();
  fields.carmods = DemoCarmodsLine();
  fields.DFF = JoinPath(modDir, std::string(kDemoModelName) + ".dff");
  fields.TXD = JoinPath(modDir, std::string(kDemoModelName) + ".txd");
  return fields;
}

void WriteDemoMod(const std::string& modDir, const DemoModOptions& options) {
  MakeDirectories(modDir);
  std::string handling = DemoHandlingLine();
  std::replace(handling.begin(), handling.end(), '\t', ' ');  // authors write spaces
  const std::vector<std::string> readme = {
      "Demo vehicle mod", "", "Data lines:",     "", DemoVehiclesLine(), "",
      handling,           "", DemoCarcolsLine(), "", DemoCarmodsLine(),
  };
  WriteFileReplacing(JoinPath(modDir, "readme.txt"), JoinLinesCrLf(readme));
  WriteFileReplacing(JoinPath(modDir, std::string(kDemoModelName) + ".dff"),
                     rw_stream::Clump(options.modelSize));
  WriteFileReplacing(JoinPath(modDir, std::string(kDemoModelName) + ".txd"),
                     rw_stream::TextureDictionary(kDemoTextures, options.textureSize,
                                                  rw_stream::kGameStamp, kDemoModelName));
}

}  // namespace wrenfield
