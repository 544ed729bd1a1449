// The subcommands of wrenfield-cli. Each takes the arguments after its own name
// and returns the process's exit status; messages go to stdout and stderr.
#pragma once

#include <string>
#include <vector>

namespace wrenfield::cli {

using Args = std::vector<std::string>;

int RunImgCommand(const Args& args);      // img list|check|add|extract|del ...
int RunReadCommand(const Args& args);     // read MODDIR [--fields FILE]
int RunInstallCommand(const Args& args);  // install GAMEDIR FIELDS | install GAMEDIR --mod MODDIR
int RunDemoCommand(const Args& args);  // demo GAMEDIR MODDIR [--entries N] [--archive-size BYTES]

}  // namespace wrenfield::cli
