#include "mod_choice.h"

#include "cli_messages.h"
#include "error.h"
#include "file_system.h"
#include "messages.h"
#include "text_encoding.h"

namespace wrenfield::cli {

std::string ChooseModFolder(ModSource& source, const std::string& pick) {
  if (pick.empty() && source.candidates().size() > 1) {
    std::string message = msg::SeveralModFolders(FullPath(source.path())) + ":";
    for (const std::string& candidate : source.candidates()) message += "\n  " + candidate;
    throw Error(msg::cli::PickHint(message));
  }
  return source.ModFolder(pick);
}

std::string PickArgument(const std::string& argument) {
  std::string converted;
  return Utf8ToCp1251(argument, converted) ? converted : argument;
}

}  // namespace wrenfield::cli
