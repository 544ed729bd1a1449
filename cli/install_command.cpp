// wrenfield-cli install GAMEDIR FIELDS | install GAMEDIR --mod MODDIR|ARCHIVE
// [--pick FOLDER]: runs the installation with reviewed fields (the JSON `read`
// prints) or with what the reader finds in a mod folder or archive, and reports as
// the window would. An archive's unpacked copy goes when the command ends.
#include <cstdio>
#include <optional>
#include <string>

#include "commands.h"
#include "error.h"
#include "fields_json.h"
#include "file_system.h"
#include "install_messages.h"
#include "install_vehicle.h"
#include "mod_choice.h"
#include "read_data.h"
#include "text_encoding.h"

namespace wrenfield::cli {
namespace {

int Usage() {
  std::fputs(
      "usage: wrenfield-cli install GAMEDIR FIELDS\n"
      "       wrenfield-cli install GAMEDIR --mod MODDIR|ARCHIVE [--pick FOLDER]\n",
      stderr);
  return 2;
}

// The window has no success box here: the message goes to stdout.
class ConsoleProgress : public InstallProgress {
 public:
  void ArchiveOpened() override {}
  void Installed() override {
    std::printf("%s\n", Cp1251ToUtf8(install_messages::kInstalled).c_str());
    std::fflush(stdout);
  }
  void Ended() override {}
  // An earlier installation put right first: a notice, not the command's output.
  void Recovered(const std::string& message) override { PrintMessage(message); }
};

// A single-line edit of the window cannot hold a line break or a NUL byte, and
// such a line would split into several lines of a data file.
bool HoldsLineBreakOrNul(const std::string& text) {
  return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

// The name of the first field that cannot be installed as it stands, or "".
std::string FirstUnfitField(const TInstallFields& fields, const std::string& replacedHandlingId) {
  const std::pair<const char*, const std::string*> texts[] = {
      {"handling", &fields.handling},
      {"vehicles", &fields.vehicles},
      {"carcols", &fields.carcols},
      {"carmods", &fields.carmods},
      {"DFF", &fields.DFF},
      {"TXD", &fields.TXD},
      {"ReplacedHandlingId", &replacedHandlingId}};
  for (const auto& [name, text] : texts) {
    if (HoldsLineBreakOrNul(*text)) return name;
  }
  for (const TAdvItem& item : fields.Adv) {
    if (HoldsLineBreakOrNul(item.path)) return "Adv";
  }
  return "";
}

// The archive's path, then the folder picked in it unless that is its top.
std::string ArchiveOrigin(const ModSource& source, const std::string& pick) {
  const std::string folder = pick.empty() ? source.candidates().front() : pick;
  const std::string archive = PathAsText(FullPath(source.path()));
  return folder == "." ? archive : archive + kPathSeparator + folder;
}

}  // namespace

int RunInstallCommand(const Args& args) {
  const bool fromMod =
      (args.size() == 3 || (args.size() == 5 && args[3] == "--pick")) && args[1] == "--mod";
  if (!fromMod && (args.size() != 2 || args[1].rfind("--", 0) == 0)) return Usage();
  const std::string& gameDir = args[0];

  TInstallFields fields;
  std::string replacedHandlingId;
  std::optional<ModSource> source;  // holds an archive's unpacked files until the end
  std::string origin;               // an archive and the folder picked in it, for the history
  try {
    if (fromMod) {
      source.emplace(args[2]);
      const std::string pick = args.size() == 5 ? PickArgument(args[4]) : "";
      ReadData(ChooseModFolder(*source, pick), fields, replacedHandlingId);
      if (source->isArchive()) origin = ArchiveOrigin(*source, pick);
    } else {
      fields = ParseFieldsJson(ReadFileBytes(args[1]), replacedHandlingId);
      const std::string unfit = FirstUnfitField(fields, replacedHandlingId);
      if (!unfit.empty()) {
        std::fprintf(stderr,
                     "wrenfield-cli: the field \"%s\" holds a line break or a NUL byte; "
                     "nothing was installed\n",
                     unfit.c_str());
        return 1;
      }
    }
  } catch (const Error& e) {
    return Fail(e.message());
  } catch (const FieldsJsonError& e) {
    std::fprintf(stderr, "wrenfield-cli: %s; nothing was installed\n", e.what());
    return 1;
  }

  ConsoleProgress progress;
  try {
    InstallVehicleFrom(gameDir, fields, replacedHandlingId, progress, origin);
  } catch (const Error& e) {
    return Fail(e.message());
  }
  return 0;
}

}  // namespace wrenfield::cli
