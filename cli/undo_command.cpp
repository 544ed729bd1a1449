// wrenfield-cli undo GAMEDIR [N] [--force] and history GAMEDIR: the install
// records of a game folder. Both first put right an installation or undo that
// was interrupted there, and say so on stderr.
#include <cstdio>
#include <string>
#include <vector>

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
    std::fputs("usage: wrenfield-cli undo GAMEDIR [N] [--force]\n", stderr);
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
    std::fputs("usage: wrenfield-cli history GAMEDIR\n", stderr);
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

}  // namespace wrenfield::cli
