// MODDIR or ARCHIVE for the read and install commands: the folder the reader runs
// on, with --pick choosing among an archive's candidate folders.
#pragma once

#include <string>

#include "mod_source.h"

namespace wrenfield::cli {

// The folder to read. Throws Error; when the archive holds several candidates and
// no pick was given, the message lists them, one a line, as --pick takes them.
std::string ChooseModFolder(ModSource& source, const std::string& pick);

// A --pick argument (UTF-8 from the command line) as the code page 1251 text the
// candidates are; bytes that are not UTF-8 are taken as they are.
std::string PickArgument(const std::string& argument);

}  // namespace wrenfield::cli
