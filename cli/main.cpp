// wrenfield-cli: the archive library, the mod folder reader and the installer
// from the command line.
#include <cstdio>
#include <exception>
#include <string>

#include "commands.h"
#include "mod_source.h"
#include "wrenfield_version.h"

namespace {

void PrintUsage() {
  std::fputs(
      "usage:\n"
      "  wrenfield-cli --version\n"
      "  wrenfield-cli img list ARCHIVE\n"
      "  wrenfield-cli img check ARCHIVE\n"
      "  wrenfield-cli img add ARCHIVE FILE [--name NAME] [--no-replace]\n"
      "  wrenfield-cli img extract ARCHIVE NAME OUTPUT\n"
      "  wrenfield-cli img del ARCHIVE NAME\n"
      "  wrenfield-cli img compact ARCHIVE [--dry-run]\n"
      "  wrenfield-cli read MODDIR|ARCHIVE [--pick FOLDER] [--fields FILE]\n"
      "  wrenfield-cli check GAMEDIR FIELDS [--json]\n"
      "  wrenfield-cli check GAMEDIR --mod MODDIR|ARCHIVE [--pick FOLDER] [--json]\n"
      "  wrenfield-cli install GAMEDIR FIELDS [--force]\n"
      "  wrenfield-cli install GAMEDIR --mod MODDIR|ARCHIVE [--pick FOLDER] [--force]\n"
      "  wrenfield-cli undo GAMEDIR [N] [--force]\n"
      "  wrenfield-cli history GAMEDIR\n"
      "  wrenfield-cli prune GAMEDIR [--keep N] [--yes]\n"
      "  wrenfield-cli demo GAMEDIR MODDIR [--entries N] [--archive-size BYTES] [--force]\n",
      stderr);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace wrenfield::cli;
  if (argc < 2) {
    PrintUsage();
    return 2;
  }
  const std::string command = argv[1];
  if (command == "--version") {
    std::printf("wrenfield-cli %s\n", wrenfield::kVersion);
    return 0;
  }
  // Unpacked archives an earlier read kept, or a run that was ended left.
  wrenfield::RemoveStaleUnpackFolders();
  const Args args(argv + 2, argv + argc);
  try {
    if (command == "img") return RunImgCommand(args);
    if (command == "read") return RunReadCommand(args);
    if (command == "check") return RunCheckCommand(args);
    if (command == "install") return RunInstallCommand(args);
    if (command == "undo") return RunUndoCommand(args);
    if (command == "history") return RunHistoryCommand(args);
    if (command == "prune") return RunPruneCommand(args);
    if (command == "demo") return RunDemoCommand(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "wrenfield-cli: %s\n", e.what());
    return 1;
  }
  PrintUsage();
  return 2;
}
