// The mod folder reader. Four passes over the read-me pick the line for each
// data file by the stock names at its start or inside it; then the model,
// texture and additional files are looked up in the folder.
#include "read_data.h"

#include <cstddef>
#include <utility>
#include <vector>

#include "extract_field.h"
#include "file_system.h"
#include "messages.h"
#include "plain_text.h"
#include "readme_text.h"
#include "stock_tables.h"

namespace wrenfield {

namespace {

// A StockHandlingIds entry with what the passes compare against it, worked out once.
struct StockEntry {
  std::string id;     // as stored, upper case, a trailing tab kept
  std::string lower;  // its lower-case form
  int vehicleId;      // 400 + index of its StockModelNames twin, or -1
};

const std::vector<StockEntry>& StockEntries() {
  static const std::vector<StockEntry> entries = [] {
    std::vector<StockEntry> list;
    list.reserve(StockHandlingIds.size());
    for (const char* id : StockHandlingIds)
      list.push_back({id, AsciiLowerCase(id), VehicleIdOf(id)});
    return list;
  }();
  return entries;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string LeftTrimmed(const std::string& text) {
  std::size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  return text.substr(start);
}

std::string Trimmed(const std::string& text) {
  std::size_t start = 0, end = text.size();
  while (start < end && IsBlank(text[start])) ++start;
  while (end > start && IsBlank(text[end - 1])) --end;
  return text.substr(start, end - start);
}

bool BeginsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The character of the trimmed line right after the entry is a comma.
bool CommaFollows(const std::string& trimmed, const std::string& entry) {
  return trimmed.size() > entry.size() && trimmed[entry.size()] == ',';
}

bool HoldsUpgradePart(const std::string& text) {
  for (const char* part : UpgradePartNames) {
    if (text.find(part) != std::string::npos) return true;
  }
  return false;
}

// The first three characters of the trimmed line read as a whole number.
bool LeadingId(const std::string& trimmed, int& id) {
  if (trimmed.size() < 3) return false;
  id = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    if (trimmed[i] < '0' || trimmed[i] > '9') return false;
    id = id * 10 + (trimmed[i] - '0');
  }
  return true;
}

// One scan: the read-me lines, the four found flags and the names a
// vehicles.ide line gives for the model and the texture.
class Scan {
 public:
  Scan(std::vector<std::string> lines, TInstallFields& fields, std::string& replacedHandlingId)
      : lines_(std::move(lines)), fields_(fields), replacedHandlingId_(replacedHandlingId) {}

  void RunPasses() {
    VehiclesPass();
    HandlingPass();
    CarcolsPass();
    CarmodsPass();
  }
  const std::string& modelName() const { return modelName_; }
  const std::string& textureName() const { return textureName_; }

 private:
  // vehicles.ide: the lower-case name anywhere in the line, and the line's
  // leading number is the vehicle id of that name.
  void VehiclesPass() {
    for (const std::string& line : lines_) {
      for (const StockEntry& entry : StockEntries()) {
        if (vehiclesFound_) return;
        if (line.find(entry.lower) == std::string::npos) continue;
        replacedHandlingId_ = entry.id;
        const std::string trimmed = Trimmed(line);
        modelName_ = Trimmed(ExtractField(trimmed, ',', 2));
        textureName_ = Trimmed(ExtractField(trimmed, ',', 3));
        int id = 0;
        if (entry.vehicleId >= 0 && LeadingId(trimmed, id) && id == entry.vehicleId) {
          fields_.vehicles = LeftTrimmed(line);
          vehiclesFound_ = true;
        }
      }
    }
  }

  // handling.cfg: the line begins with the upper-case identifier and no comma
  // follows it; the line's spaces become tabs.
  void HandlingPass() {
    for (const std::string& line : lines_) {
      for (const StockEntry& entry : StockEntries()) {
        if (handlingFound_) return;
        if (!BeginsWith(line, entry.id)) continue;
        replacedHandlingId_ = entry.id;
        if (!CommaFollows(Trimmed(line), entry.id)) {
          std::string text = LeftTrimmed(line);
          for (char& c : text) {
            if (c == ' ') c = '\t';
          }
          fields_.handling = text;
          handlingFound_ = true;
        }
      }
    }
  }

  // carcols.dat: the line begins with the lower-case name followed by a comma
  // and holds no upgrade part. A line that does hold one is a carmods.dat line;
  // every such line seen before the carcols.dat line is found overwrites
  // carmods, so the last one stays.
  void CarcolsPass() {
    for (const std::string& line : lines_) {
      for (const StockEntry& entry : StockEntries()) {
        if (carcolsFound_) return;
        if (!BeginsWith(line, entry.lower)) continue;
        replacedHandlingId_ = entry.id;
        const std::string text = LeftTrimmed(line);
        const bool holdsPart = HoldsUpgradePart(text);
        if (holdsPart) {
          fields_.carmods = text;
          carmodsFound_ = true;
        }
        if (!holdsPart && CommaFollows(Trimmed(line), entry.id)) {
          fields_.carcols = text;
          carcolsFound_ = true;
        }
      }
    }
  }

  // carmods.dat, when the carcols.dat pass found none: the first line that
  // begins with the lower-case name and holds an upgrade part.
  void CarmodsPass() {
    for (const std::string& line : lines_) {
      for (const StockEntry& entry : StockEntries()) {
        if (carmodsFound_) return;
        if (!BeginsWith(line, entry.lower)) continue;
        replacedHandlingId_ = entry.id;
        if (HoldsUpgradePart(Trimmed(line))) {
          fields_.carmods = LeftTrimmed(line);
          carmodsFound_ = true;
        }
      }
    }
  }

  const std::vector<std::string> lines_;
  TInstallFields& fields_;
  std::string& replacedHandlingId_;
  bool vehiclesFound_ = false;
  bool handlingFound_ = false;
  bool carcolsFound_ = false;
  bool carmodsFound_ = false;
  std::string modelName_;
  std::string textureName_;
};

// The lines of the folder's first read-me, converted to code page 1251; none
// when the folder has no .txt entry.
std::vector<std::string> ReadmeLines(const std::string& folder) {
  const std::vector<std::string> readmes = FindFiles(JoinPath(folder, "*.txt"));
  if (readmes.empty()) return {};
  return SplitTextLines(ReadmeToCp1251(ReadFileBytes(JoinPath(folder, readmes.front()))));
}

// Puts into field the path of the folder's file named base + extension (letter
// case aside) as the file system spells it, or the notice when there is none.
void FindNamedFile(const std::string& folder, const std::string& base, const char* extension,
                   const std::string& notice, std::string& field, bool& notFound) {
  const std::vector<std::string> found = FindFiles(JoinPath(folder, base + extension));
  notFound = found.empty();
  field = notFound ? notice : JoinPath(folder, found.front());
}

// Appends every file of the pattern except the chosen one to Adv.
void AppendOtherFiles(const std::string& folder, const char* pattern, const std::string& chosen,
                      std::vector<TAdvItem>& adv) {
  const std::string chosenUpper = AsciiUpperCase(chosen);
  for (const std::string& name : FindFiles(JoinPath(folder, pattern))) {
    std::string path = JoinPath(folder, name);
    if (AsciiUpperCase(path) != chosenUpper) adv.push_back({std::move(path), false});
  }
}

}  // namespace

void ReadData(const std::string& folder, TInstallFields& fields, std::string& replacedHandlingId) {
  // An empty folder text would search the root of the drive: it searches nothing.
  if (folder.empty()) {
    fields.DFF = msg::ModelFileNotFound();
    fields.TXD = msg::TextureFileNotFound();
    fields.DFFNotFound = fields.TXDNotFound = true;
  } else {
    std::vector<std::string> lines;
    if (DirectoryExists(folder)) lines = ReadmeLines(folder);
    Scan scan(std::move(lines), fields, replacedHandlingId);
    scan.RunPasses();
    const std::string& modelBase = scan.modelName().empty() ? replacedHandlingId : scan.modelName();
    FindNamedFile(folder, modelBase, ".dff", msg::ModelFileNotFound(), fields.DFF,
                  fields.DFFNotFound);
    const std::string& textureBase =
        scan.textureName().empty() ? replacedHandlingId : scan.textureName();
    FindNamedFile(folder, textureBase, ".txd", msg::TextureFileNotFound(), fields.TXD,
                  fields.TXDNotFound);
    AppendOtherFiles(folder, "*.dff", fields.DFF, fields.Adv);
    AppendOtherFiles(folder, "*.txd", fields.TXD, fields.Adv);
  }
  for (TAdvItem& item : fields.Adv) item.checked = true;
}

}  // namespace wrenfield
