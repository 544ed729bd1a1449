// The mod check: what in the install fields would make the game crash, ignore
// the mod or show it wrongly, found before anything is installed. Looks at the
// model and texture files, the four data-file lines, the names the files take
// in the archive and the archive's directory; changes nothing.
#pragma once

#include <string>
#include <vector>

#include "install_fields.h"

namespace wrenfield {

enum class Severity {
  kError,    // the game would crash, or would not use the mod
  kWarning,  // it may work, but look wrong
};

struct Finding {
  Severity severity = Severity::kError;
  std::string code;     // stable: "model-not-clump", "ide-fields", ...
  std::string file;     // the file's path, or the data file's name
  std::string message;  // code page 1251
};

using Findings = std::vector<Finding>;

bool HasErrors(const Findings& findings);

// Every finding for the fields against the game folder, in a fixed order:
// files, data lines, entry names, the archive. An empty line field is not
// looked at (the install leaves that data file alone). Throws Error when the
// game folder is missing or its models/gta3.img cannot be read as an archive,
// or a mod file exists but cannot be read.
Findings CheckMod(const std::string& gameDir, const TInstallFields& fields);

// The parts of CheckMod, each appending to `findings`. The model and texture
// checks cover the checked additional .dff and .txd files as well.
void CheckModelAndTexture(const TInstallFields& fields, Findings& findings);
void CheckDataLines(const TInstallFields& fields, Findings& findings);
void CheckEntryNames(const TInstallFields& fields, Findings& findings);
// `names`: the entry names the install adds or replaces.
void CheckArchiveDirectory(const std::string& archivePath, const std::vector<std::string>& names,
                           Findings& findings);

// The entry names the install puts into the archive: the model's, the texture
// dictionary's and each checked additional file's, for the files that exist.
std::vector<std::string> InstalledEntryNames(const TInstallFields& fields);

// The fields of a data-file line as the game splits it: at commas (when
// `commas`) and at blanks.
std::vector<std::string> SplitDataFields(const std::string& line, bool commas);

// The number of fields of the stock vehicles.ide line of a vehicle id (400 to
// 611): 11 for the boats and the seaplane, 15 for every other vehicle.
std::size_t StockIdeFieldCount(int id);
inline constexpr std::size_t kStockHandlingFieldCount = 36;

}  // namespace wrenfield
