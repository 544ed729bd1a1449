// wrenfield-cli install GAMEDIR FIELDS | install GAMEDIR --mod MODDIR|ARCHIVE
// [--pick FOLDER] [--force]: checks the mod, then runs the installation with reviewed fields (the
// JSON `read` prints) or with what the reader finds in a mod folder or archive, and reports as the
// window would. An archive's unpacked copy goes when the command ends.
#include <cstdio>
#include <optional>
#include <string>

#include "cli_messages.h"
#include "commands.h"
#include "error.h"
#include "fields_json.h"
#include "file_system.h"
#include "install_vehicle.h"
#include "messages.h"
#include "mod_check.h"
#include "mod_choice.h"
#include "read_data.h"
#include "text_encoding.h"

namespace wrenfield::cli {
namespace {

int Usage() {
  std::fputs(msg::cli::InstallUsage().c_str(), stderr);
  return 2;
}

// The window has no success box here: the message goes to stdout.
class ConsoleProgress : public InstallProgress {
 public:
  void ArchiveOpened() override {}
  void Installed() override {
    std::printf("%s\n", Cp1251ToUtf8(msg::Installed()).c_str());
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

// The mod check before the installation: its findings go to stderr; false
// (nothing installed) when it found an error and --force was not given. A game
// the check cannot read is left to the installation, which reports it.
bool CheckPasses(const std::string& gameDir, const TInstallFields& fields, bool force) {
  Findings findings;
  try {
    findings = CheckMod(gameDir, fields);
  } catch (const Error&) {
    return true;
  }
  if (findings.empty()) return true;
  PrintFindings(findings, stderr);
  if (!HasErrors(findings) || force) return true;
  std::fprintf(stderr, "wrenfield-cli: %s\n", msg::cli::CheckFoundErrors().c_str());
  return false;
}

// What the history names for a mod read from an archive: the archive's path,
// then the folder picked in it unless that is its top. "" for a mod folder.
std::string OriginOf(const ModFields& mod, const Args& args) {
  if (!mod.source || !mod.source->isArchive()) return "";
  const std::string pick = args.size() == 5 ? PickArgument(args[4]) : "";
  const std::string folder = pick.empty() ? mod.source->candidates().front() : pick;
  const std::string archive = PathAsText(FullPath(mod.source->path()));
  return folder == "." ? archive : archive + kPathSeparator + folder;
}

}  // namespace

int RunInstallCommand(const Args& given) {
  Args args;
  bool force = false;
  for (const std::string& arg : given) {
    if (arg == "--force" && !force) {
      force = true;
    } else {
      args.push_back(arg);
    }
  }
  if (!IsModArguments(args)) return Usage();
  const std::string& gameDir = args[0];

  ModFields mod;
  try {
    ReadModFields(args, mod);
    if (!mod.source) {
      const std::string unfit = FirstUnfitField(mod.fields, mod.replacedHandlingId);
      if (!unfit.empty()) {
        std::fprintf(stderr, "wrenfield-cli: %s\n", msg::cli::FieldUnfit(unfit).c_str());
        return 1;
      }
    }
  } catch (const Error& e) {
    return Fail(e.message());
  } catch (const FieldsJsonError& e) {
    std::fprintf(stderr, "wrenfield-cli: %s\n", msg::cli::NothingInstalled(e.what()).c_str());
    return 1;
  }
  if (!CheckPasses(gameDir, mod.fields, force)) return 2;
  const TInstallFields& fields = mod.fields;
  const std::string& replacedHandlingId = mod.replacedHandlingId;

  ConsoleProgress progress;
  try {
    InstallVehicleFrom(gameDir, fields, replacedHandlingId, progress, OriginOf(mod, args));
  } catch (const Error& e) {
    return Fail(e.message());
  }
  return 0;
}

}  // namespace wrenfield::cli
