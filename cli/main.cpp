// wrenfield-cli: the archive library, the mod folder reader and the installer
// from the command line.
#include <cstdio>
#include <exception>
#include <string>

#include "cli_messages.h"
#include "commands.h"
#include "mod_source.h"
#include "wrenfield_version.h"

namespace {

void PrintUsage() { std::fputs(wrenfield::msg::cli::MainUsage().c_str(), stderr); }

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
