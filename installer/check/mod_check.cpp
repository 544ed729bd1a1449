#include "mod_check.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <string>

#include "entry_name.h"
#include "error.h"
#include "file_layer.h"
#include "file_system.h"
#include "img_directory.h"
#include "messages.h"
#include "plain_text.h"
#include "rw_chunks.h"
#include "stock_tables.h"

namespace wrenfield {
namespace {

// The stock vehicles whose vehicles.ide line has 11 fields: the boats and the
// seaplane (skimmer, 460). Every other stock line has 15.
constexpr int kElevenFieldIds[] = {430, 446, 452, 453, 454, 460, 472, 473, 484, 493, 595};

// The handling.cfg fields that are not decimal numbers (counting from 1): the
// identifier, the drive and engine types (letters), the two flag words (hex).
constexpr std::size_t kHandlingIdField = 1;
constexpr std::size_t kDriveTypeField = 16;
constexpr std::size_t kEngineTypeField = 17;
constexpr std::size_t kModelFlagsField = 32;
constexpr std::size_t kHandlingFlagsField = 33;

void Add(Findings& findings, Severity severity, const char* code, const std::string& file,
         std::string message) {
  findings.push_back({severity, code, file, std::move(message)});
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  return AsciiLowerCase(a) == AsciiLowerCase(b);
}

// A decimal number as the game's number reading takes it whole: a sign, digits
// with at most one point, at least one digit.
bool IsDecimal(const std::string& text) {
  std::size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
  bool digit = false, point = false;
  for (; i < text.size(); ++i) {
    if (std::isdigit(static_cast<unsigned char>(text[i]))) {
      digit = true;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

bool IsHex(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
  });
}

bool IsDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
}

// The file's name without its folder and its last extension: what a data line
// names it by.
std::string NameOfFile(const std::string& path) {
  const std::string name = img::EntryNameOf(path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// Whether the game finds the file's entry by the name a data line gives it:
// the name without its extension, compared as the game compares entry names.
bool NamesFile(const std::string& lineName, const std::string& path) {
  const std::string name = NameOfFile(path);
  return img::SameNameToGame(lineName.data(), lineName.size(), name.data(), name.size());
}

bool HasExtension(const std::string& path, const char* extension) {
  const std::string lower = AsciiLowerCase(path);
  const std::size_t length = std::char_traits<char>::length(extension);
  return lower.size() >= length && lower.compare(lower.size() - length, length, extension) == 0;
}

// A model, texture or additional file the install would put into the archive:
// a path (not the reader's not-found notice) naming an existing file.
bool IsInstalledFile(const std::string& path, bool notFound = false) {
  return !notFound && !path.empty() && FileExists(path);
}

std::string VersionText(std::uint32_t version) {
  return std::to_string(version >> 16) + "." + std::to_string((version >> 12) & 0xF) + "." +
         std::to_string((version >> 8) & 0xF) + "." + std::to_string(version & 0xFF);
}

rw::Walk WalkRwFile(const std::string& path, std::uint32_t wanted) {
  const RandomAccessFile file(path);
  const rw::ReadAt read = [&file](std::uint64_t pos, unsigned char* bytes, std::size_t n) {
    return file.ReadAt(pos, bytes, n);
  };
  return rw::WalkFile(read, file.size(), wanted);
}

void CheckModel(const std::string& path, Findings& findings) {
  const rw::Walk walk = WalkRwFile(path, rw::kClump);
  if (walk.shape == rw::Shape::kWrongType)
    return Add(findings, Severity::kError, "model-not-clump", path, msg::ModelNotClump(path));
  if (walk.shape == rw::Shape::kCutShort)
    return Add(findings, Severity::kError, "model-not-clump", path, msg::ModelCutShort(path));
  if (walk.version != rw::kGameVersion) {
    Add(findings, Severity::kWarning, "rw-version", path,
        msg::RwVersion(path, VersionText(walk.version)));
  }
}

void CheckTexture(const std::string& path, Findings& findings) {
  const rw::Walk walk = WalkRwFile(path, rw::kTextureDictionary);
  if (walk.shape == rw::Shape::kWrongType) {
    return Add(findings, Severity::kError, "txd-not-dictionary", path,
               msg::TextureNotDictionary(path));
  }
  if (walk.shape == rw::Shape::kCutShort)
    return Add(findings, Severity::kError, "txd-not-dictionary", path, msg::TextureCutShort(path));
  if (walk.textures == 0)
    Add(findings, Severity::kError, "txd-empty", path, msg::TextureEmpty(path));
  if (walk.version != rw::kGameVersion) {
    Add(findings, Severity::kWarning, "rw-version", path,
        msg::RwVersion(path, VersionText(walk.version)));
  }
}

void CheckIdeLine(const TInstallFields& fields, const std::vector<std::string>& ide,
                  Findings& findings) {
  const char* file = "vehicles.ide";
  const std::string idText = ide.empty() ? std::string() : ide[0];
  if (!IsDigits(idText)) {
    Add(findings, Severity::kError, "ide-id", file, msg::IdeIdNotNumber(idText));
  } else {
    const long id = idText.size() > 6 ? -1 : std::stol(idText);
    const long last = kFirstVehicleId + static_cast<long>(kStockModelNameCount) - 1;
    if (id < kFirstVehicleId || id > last) {
      Add(findings, Severity::kError, "ide-id", file, msg::IdeIdUnknown(idText));
    } else if (ide.size() != StockIdeFieldCount(static_cast<int>(id))) {
      Add(findings, Severity::kError, "ide-fields", file,
          msg::IdeFields(ide.size(), static_cast<int>(id),
                         StockIdeFieldCount(static_cast<int>(id))));
    }
  }
  if (ide.size() > 1 && IsInstalledFile(fields.DFF, fields.DFFNotFound) &&
      !NamesFile(ide[1], fields.DFF)) {
    Add(findings, Severity::kError, "ide-model-name", file,
        msg::IdeModelName(ide[1], img::EntryNameOf(fields.DFF)));
  }
  if (ide.size() > 2 && IsInstalledFile(fields.TXD, fields.TXDNotFound) &&
      !NamesFile(ide[2], fields.TXD)) {
    Add(findings, Severity::kError, "ide-txd-name", file,
        msg::IdeTxdName(ide[2], img::EntryNameOf(fields.TXD)));
  }
}

void CheckHandlingLine(const std::vector<std::string>& handling,
                       const std::vector<std::string>& ide, Findings& findings) {
  const char* file = "handling.cfg";
  if (handling.size() != kStockHandlingFieldCount) {
    Add(findings, Severity::kError, "handling-fields", file,
        msg::HandlingFields(handling.size(), kStockHandlingFieldCount));
  }
  for (std::size_t i = 0; i < handling.size() && i < kStockHandlingFieldCount; ++i) {
    const std::size_t field = i + 1;
    if (field == kHandlingIdField || field == kDriveTypeField || field == kEngineTypeField)
      continue;
    const bool hex = field == kModelFlagsField || field == kHandlingFlagsField;
    if (hex ? !IsHex(handling[i]) : !IsDecimal(handling[i])) {
      Add(findings, Severity::kError, "handling-fields", file,
          msg::HandlingNotNumber(field, handling[i]));
      break;  // one is enough to tell the line is not a vehicle's
    }
  }
  if (!handling.empty() && ide.size() > 4 && handling[0] != ide[4]) {
    Add(findings, Severity::kError, "handling-id", file, msg::HandlingId(handling[0], ide[4]));
  }
}

bool IsUpgradePart(const std::string& name) {
  const std::string lower = AsciiLowerCase(name);
  return std::any_of(UpgradePartNames.begin(), UpgradePartNames.end(),
                     [&lower](const char* part) { return lower == part; });
}

void CheckCarLines(const TInstallFields& fields, const std::vector<std::string>& ide,
                   Findings& findings) {
  const std::string model = ide.size() > 1 ? ide[1] : std::string();
  const auto carcols = SplitDataFields(fields.carcols, true);
  if (!model.empty() && !carcols.empty() && !EqualIgnoringCase(carcols[0], model)) {
    Add(findings, Severity::kWarning, "carcols-name", "carcols.dat",
        msg::CarcolsName(carcols[0], model));
  }
  const auto carmods = SplitDataFields(fields.carmods, true);
  if (!model.empty() && !carmods.empty() && !EqualIgnoringCase(carmods[0], model)) {
    Add(findings, Severity::kWarning, "carmods-name", "carmods.dat",
        msg::CarmodsName(carmods[0], model));
  }
  for (std::size_t i = 1; i < carmods.size(); ++i) {
    if (!IsUpgradePart(carmods[i]))
      Add(findings, Severity::kWarning, "carmods-part", "carmods.dat",
          msg::CarmodsPart(carmods[i]));
  }
}

// Printable ASCII other than the blank and the comma: the game's data lines
// name entries in ASCII and split at blanks and commas, so no line could name
// an entry with another character.
bool IsEntryNameCharacter(char c) { return c > ' ' && c < '\x7F' && c != ','; }

void CheckEntryName(const std::string& path, Findings& findings) {
  const std::string name = img::EntryNameOf(path);
  if (!img::FitsNameField(name.size())) {
    Add(findings, Severity::kError, "entry-name", path,
        msg::EntryNameTooLong(name, img::kMaxNameLength));
  } else if (!img::CanBeEntryName(name.size()) ||
             !std::all_of(name.begin(), name.end(), IsEntryNameCharacter)) {
    Add(findings, Severity::kError, "entry-name", path, msg::EntryNameCharacters(name));
  }
}

// The files the install puts into the archive, in its order.
std::vector<std::string> InstalledPaths(const TInstallFields& fields) {
  std::vector<std::string> paths;
  if (IsInstalledFile(fields.DFF, fields.DFFNotFound)) paths.push_back(fields.DFF);
  if (IsInstalledFile(fields.TXD, fields.TXDNotFound)) paths.push_back(fields.TXD);
  for (const TAdvItem& item : fields.Adv) {
    if (item.checked && IsInstalledFile(item.path)) paths.push_back(item.path);
  }
  return paths;
}

std::vector<img::Entry> ReadArchiveDirectory(const std::string& archivePath) {
  const RandomAccessFile file(archivePath);
  unsigned char header[img::kHeaderSize];
  std::uint64_t count = 0;
  if (!file.ReadAt(0, header, sizeof header) || !img::HasMagic(header, sizeof header) ||
      !img::DirectoryCount(header, file.size(), &count)) {
    throw Error(msg::NotAnImgArchive(FullPath(archivePath)));
  }
  // Read as the archive library reads it at open: records past the end are zero.
  const auto readAt = [&file](std::uint64_t pos, unsigned char* bytes, std::size_t n,
                              std::size_t* got) { return file.ReadSome(pos, bytes, n, *got); };
  std::vector<unsigned char> buffer(64 * img::kRecordSize * 16);
  std::vector<img::Entry> directory;
  if (!img::ReadDirectory(readAt, count, true, buffer.data(), buffer.size(), directory))
    throw Error(msg::NotAnImgArchive(FullPath(archivePath)));
  return directory;
}

}  // namespace

bool HasErrors(const Findings& findings) {
  return std::any_of(findings.begin(), findings.end(),
                     [](const Finding& f) { return f.severity == Severity::kError; });
}

std::vector<std::string> SplitDataFields(const std::string& line, bool commas) {
  const char* separators = commas ? ", \t\r\n" : " \t\r\n";
  std::vector<std::string> fields;
  std::size_t pos = line.find_first_not_of(separators);
  while (pos != std::string::npos) {
    const std::size_t end = line.find_first_of(separators, pos);
    fields.push_back(line.substr(pos, end - pos));
    pos = end == std::string::npos ? end : line.find_first_not_of(separators, end);
  }
  return fields;
}

std::size_t StockIdeFieldCount(int id) {
  const bool eleven = std::find(std::begin(kElevenFieldIds), std::end(kElevenFieldIds), id) !=
                      std::end(kElevenFieldIds);
  return eleven ? 11 : 15;
}

void CheckModelAndTexture(const TInstallFields& fields, Findings& findings) {
  if (IsInstalledFile(fields.DFF, fields.DFFNotFound)) {
    CheckModel(fields.DFF, findings);
  } else {
    Add(findings, Severity::kError, "model-missing", fields.DFF, msg::ModelMissing(fields.DFF));
  }
  if (IsInstalledFile(fields.TXD, fields.TXDNotFound)) {
    CheckTexture(fields.TXD, findings);
  } else {
    Add(findings, Severity::kError, "txd-missing", fields.TXD, msg::TextureMissing(fields.TXD));
  }
  // The checked additional models and dictionaries go into the archive too.
  for (const TAdvItem& item : fields.Adv) {
    if (!item.checked || !IsInstalledFile(item.path)) continue;
    if (HasExtension(item.path, ".dff")) CheckModel(item.path, findings);
    if (HasExtension(item.path, ".txd")) CheckTexture(item.path, findings);
  }
}

void CheckDataLines(const TInstallFields& fields, Findings& findings) {
  const auto ide = SplitDataFields(fields.vehicles, true);
  if (!fields.vehicles.empty()) CheckIdeLine(fields, ide, findings);
  if (!fields.handling.empty())
    CheckHandlingLine(SplitDataFields(fields.handling, false), ide, findings);
  CheckCarLines(fields, ide, findings);
}

std::vector<std::string> InstalledEntryNames(const TInstallFields& fields) {
  std::vector<std::string> names;
  for (const std::string& path : InstalledPaths(fields)) names.push_back(img::EntryNameOf(path));
  return names;
}

void CheckEntryNames(const TInstallFields& fields, Findings& findings) {
  for (const std::string& path : InstalledPaths(fields)) CheckEntryName(path, findings);
}

namespace {

// Names in the order under which those the game takes for one are equal.
struct NameAsGameLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return img::CompareNamesAsGame(a.data(), a.size(), b.data(), b.size()) < 0;
  }
};

}  // namespace

void CheckArchiveDirectory(const std::string& archivePath, const std::vector<std::string>& names,
                           Findings& findings) {
  // Each name the install puts in -> the entries the game takes for it.
  std::map<std::string, std::vector<std::string>, NameAsGameLess> spellings;
  for (const std::string& name : names) spellings[name];
  for (const img::Entry& entry : ReadArchiveDirectory(archivePath)) {
    const std::string name(reinterpret_cast<const char*>(entry.name), entry.NameLength());
    const auto found = spellings.find(name);
    if (found != spellings.end()) found->second.push_back(name);
  }
  for (const auto& [name, entries] : spellings) {
    if (entries.size() > 1) {
      Add(findings, Severity::kError, "case-duplicate", archivePath,
          msg::CaseDuplicate(FullPath(archivePath), entries[0], entries[1]));
    }
  }
}

Findings CheckMod(const std::string& gameDir, const TInstallFields& fields) {
  if (gameDir.empty() || !DirectoryExists(gameDir)) throw Error(msg::GameFolderMissing(gameDir));
  Findings findings;
  CheckModelAndTexture(fields, findings);
  CheckDataLines(fields, findings);
  CheckEntryNames(fields, findings);
  const std::string archive = JoinPath(JoinPath(gameDir, "models"), "gta3.img");
  CheckArchiveDirectory(archive, InstalledEntryNames(fields), findings);
  return findings;
}

}  // namespace wrenfield
