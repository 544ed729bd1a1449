// wrenfield-cli undo GAMEDIR [N] [--force], history GAMEDIR and prune GAMEDIR
// [--keep N] [--yes]: the install records of a game folder. Each first puts
// right an installation or undo that was interrupted there, and says so on
// stderr.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli_messages.h"
#include "commands.h"
#include "error.h"
#include "install_undo.h"
#include "plain_text.h"
#include "text_encoding.h"

namespace wrenfield::cli {
namespace {

void PrintNotices(const std::vector<std::string>& messages) {
  for (const std::string& message : messages) PrintMessage(message);
}

// A whole number from 1 on, or 0.
unsigned InstallNumber(const std::string& text) {
  if (text.empty() || text.size() > 9 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return 0;
  }
  return static_cast<unsigned>(std::stoul(text));
}

struct PruneArgs {
  std::string gameDir;
  int keep = -1;
  bool yes = false;
};

bool ParsePruneArgs(const Args& args, PruneArgs& parsed) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--yes") {
      parsed.yes = true;
    } else if (args[i] == "--keep" && i + 1 < args.size()) {
      const std::string& count = args[++i];
      // "0" keeps none; InstallNumber takes whole numbers from 1 on.
      if (count != "0" && InstallNumber(count) == 0) return false;
      parsed.keep = static_cast<int>(count == "0" ? 0 : InstallNumber(count));
    } else if (args[i].rfind("--", 0) != 0 && parsed.gameDir.empty()) {
      parsed.gameDir = args[i];
    } else {
      return false;
    }
  }
  return !parsed.gameDir.empty();
}

// Says which installations could no longer be undone, then asks on a
// terminal; without one, only --yes goes on.
bool ConfirmPrune(const std::vector<unsigned>& applied, bool yes) {
  PrintMessage(PruneWarning(applied) + ".");
  if (yes) return true;
  if (::isatty(STDIN_FILENO) == 0) {
    std::fprintf(stderr, "wrenfield-cli: %s\n", msg::cli::NothingPruned().c_str());
    return false;
  }
  std::fputs(msg::cli::YesNo(Cp1251ToUtf8(PruneQuestion())).c_str(), stderr);
  std::string answer;
  std::getline(std::cin, answer);
  return answer == "y" || answer == "Y" || answer == "yes";
}

}  // namespace

int RunUndoCommand(const Args& args) {
  std::vector<std::string> folders;
  bool force = false;
  for (const std::string& arg : args) {
    if (arg == "--force") {
      force = true;
    } else if (arg.rfind("--", 0) != 0 && folders.size() < 2) {
      folders.push_back(arg);
    } else {
      folders.clear();
      break;
    }
  }
  const unsigned number = folders.size() == 2 ? InstallNumber(folders[1]) : 0;
  if (folders.empty() || (folders.size() == 2 && number == 0)) {
    std::fputs(msg::cli::UndoUsage().c_str(), stderr);
    return 2;
  }
  try {
    const UndoOutcome outcome = UndoInstall(folders[0], number, force);
    PrintNotices(outcome.recovered);
    if (!outcome.message.empty()) {
      std::printf("%s\n", Cp1251ToUtf8(ErrorBoxText(outcome.message)).c_str());
    }
  } catch (const Error& e) {
    return Fail(e.message());
  }
  return 0;
}

int RunHistoryCommand(const Args& args) {
  if (args.size() != 1 || args[0].empty() || args[0].rfind("--", 0) == 0) {
    std::fputs(msg::cli::HistoryUsage().c_str(), stderr);
    return 2;
  }
  std::vector<std::string> recovered;
  int status = 0;
  try {
    // An archive in use (by a running installation, say) is left alone: the
    // list then shows that installation as not finished.
    RecoverInterruptedInstalls(args[0], recovered);
  } catch (const Error& e) {
    PrintNotices(recovered);
    recovered.clear();
    // The list still follows; the exit status tells the recovery failed.
    status = Fail(e.message());
  }
  PrintNotices(recovered);
  for (const std::string& line : HistoryLines(args[0])) {
    std::printf("%s\n", Cp1251ToUtf8(line).c_str());
  }
  return status;
}

int RunPruneCommand(const Args& args) {
  PruneArgs parsed;
  if (!ParsePruneArgs(args, parsed)) {
    std::fputs(msg::cli::PruneUsage().c_str(), stderr);
    return 2;
  }
  try {
    const PruneOutcome outcome =
        PruneInstalls(parsed.gameDir, parsed.keep, [&parsed](const std::vector<unsigned>& applied) {
          return ConfirmPrune(applied, parsed.yes);
        });
    PrintNotices(outcome.recovered);
    const int status = outcome.recoveryFailure.empty() ? 0 : Fail(outcome.recoveryFailure);
    if (!outcome.pruned) return 1;
    std::printf("%s\n", Cp1251ToUtf8(PruneFreedText(outcome.freed)).c_str());
    return status;
  } catch (const Error& e) {
    return Fail(e.message());
  }
}

}  // namespace wrenfield::cli
