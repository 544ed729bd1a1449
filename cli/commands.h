// The subcommands of wrenfield-cli. Each takes the arguments after its own name
// and returns the process's exit status; messages go to stdout and stderr.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "install_fields.h"
#include "mod_check.h"
#include "mod_source.h"

namespace wrenfield::cli {

using Args = std::vector<std::string>;

int RunImgCommand(const Args& args);   // img list|check|add|extract|del|compact ...
int RunReadCommand(const Args& args);  // read MODDIR|ARCHIVE [--pick FOLDER] [--fields FILE]
// install GAMEDIR FIELDS | install GAMEDIR --mod MODDIR|ARCHIVE [--pick FOLDER]
int RunInstallCommand(const Args& args);
// check GAMEDIR FIELDS | check GAMEDIR --mod MODDIR|ARCHIVE [--pick FOLDER] [--json]
int RunCheckCommand(const Args& args);
int RunUndoCommand(const Args& args);     // undo GAMEDIR [N] [--force]
int RunHistoryCommand(const Args& args);  // history GAMEDIR
int RunPruneCommand(const Args& args);    // prune GAMEDIR [--keep N] [--yes]
// demo GAMEDIR MODDIR [--entries N] [--archive-size BYTES] [--force]
int RunDemoCommand(const Args& args);

// The fields install and check take: the reviewed fields' JSON, or what the
// reader finds in a mod folder or archive (whose unpacked copy `source` holds).
struct ModFields {
  TInstallFields fields;
  std::string replacedHandlingId;
  std::optional<ModSource> source;
};
// True for GAMEDIR FIELDS and GAMEDIR --mod MODDIR|ARCHIVE [--pick FOLDER].
bool IsModArguments(const Args& args);
// Throws Error, or FieldsJsonError for a bad FIELDS file.
void ReadModFields(const Args& args, ModFields& mod);

// The findings one a line ("error CODE: message", UTF-8), then the counts.
void PrintFindings(const Findings& findings, std::FILE* out);

// A message of the program (code page 1251) as its error box shows it, in
// UTF-8 on stderr.
void PrintMessage(const std::string& cp1251Message);
// PrintMessage, then 1: the exit status of a failed command.
int Fail(const std::string& cp1251Message);

}  // namespace wrenfield::cli
