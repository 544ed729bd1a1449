// wrenfield-cli demo GAMEDIR MODDIR [--entries N] [--archive-size BYTES] [--force]:
// writes a demo game folder and a demo vehicle mod to install into it. A
// folder that holds anything already is left alone unless --force is given.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli_messages.h"
#include "commands.h"
#include "demo_game.h"
#include "error.h"
#include "file_system.h"
#include "text_encoding.h"

namespace wrenfield::cli {
namespace {

int Usage() {
  std::fputs(msg::cli::DemoUsage().c_str(), stderr);
  return 2;
}

// A whole decimal number of at most 12 digits, or false.
bool ParseCount(const std::string& text, unsigned long long& value) {
  if (text.empty() || text.size() > 12 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  value = std::strtoull(text.c_str(), nullptr, 10);
  return true;
}

bool HoldsAnything(const std::string& folder) {
  for (const std::string& name : FindFiles(JoinPath(folder, "*"))) {
    if (name != "." && name != "..") return true;
  }
  return false;
}

// Why the demo must not be written over what is there, or "".
std::string Refusal(const std::vector<std::string>& folders, bool force) {
  for (const std::string& folder : folders) {
    if (!force && (FileExists(folder) || HoldsAnything(folder))) {
      return msg::cli::DemoFolderNotEmpty(folder);
    }
  }
  // Not even with --force over an archive that a running game or installation holds.
  const std::string archive = JoinPath(JoinPath(folders[0], "models"), "gta3.img");
  if (FileExists(archive) && !CanOpenExclusively(archive)) {
    return msg::cli::DemoArchiveInUse(archive);
  }
  return "";
}

}  // namespace

int RunDemoCommand(const Args& args) {
  std::vector<std::string> folders;
  DemoGameOptions options;
  bool force = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    unsigned long long value = 0;
    if (args[i] == "--force") {
      force = true;
    } else if ((args[i] == "--entries" || args[i] == "--archive-size") && i + 1 < args.size()) {
      if (!ParseCount(args[i + 1], value)) return Usage();
      if (args[i] == "--entries") {
        if (value > 1000000) return Usage();
        options.entryCount = static_cast<std::size_t>(value);
      } else {
        if (value >= (1ull << 31)) return Usage();  // an archive stays below 2 GiB
        options.archiveSize = value;
      }
      ++i;
    } else if (args[i].rfind("--", 0) != 0 && folders.size() < 2) {
      folders.push_back(args[i]);
    } else {
      return Usage();
    }
  }
  if (folders.size() != 2) return Usage();
  const std::string refusal = Refusal(folders, force);
  if (!refusal.empty()) {
    std::fprintf(stderr, "wrenfield-cli: %s\n", refusal.c_str());
    return 1;
  }
  try {
    WriteDemoGame(folders[0], options);
    WriteDemoMod(folders[1]);
  } catch (const Error& e) {
    std::fprintf(stderr, "wrenfield-cli: %s\n", Cp1251ToUtf8(e.message()).c_str());
    return 1;
  }
  std::printf("%s\n", msg::cli::DemoWritten(folders[0], folders[1]).c_str());
  return 0;
}

}  // namespace wrenfield::cli
