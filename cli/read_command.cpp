// wrenfield-cli read MODDIR|ARCHIVE [--pick FOLDER] [--fields FILE]: runs the mod
// folder reader and prints the fields it leaves as one JSON object. An archive's
// unpacked copy is kept, so that the printed paths serve a later install; it is
// swept once stale.
#include <cstdio>
#include <string>

#include "cli_messages.h"
#include "commands.h"
#include "error.h"
#include "fields_json.h"
#include "file_system.h"
#include "mod_choice.h"
#include "read_data.h"
#include "text_encoding.h"

namespace wrenfield::cli {
namespace {

int Usage() {
  std::fputs(msg::cli::ReadUsage().c_str(), stderr);
  return 2;
}

}  // namespace

int RunReadCommand(const Args& args) {
  std::string folder, fieldsFile, pick;
  bool haveFolder = false, haveFieldsFile = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--fields" && i + 1 < args.size() && !haveFieldsFile) {
      fieldsFile = args[++i];
      haveFieldsFile = true;
    } else if (args[i] == "--pick" && i + 1 < args.size() && pick.empty()) {
      pick = PickArgument(args[++i]);
    } else if (!haveFolder && args[i].rfind("--", 0) != 0) {
      folder = args[i];
      haveFolder = true;
    } else {
      return Usage();
    }
  }
  if (!haveFolder) return Usage();

  TInstallFields fields;
  std::string replacedHandlingId;
  try {
    if (haveFieldsFile) fields = ParseFieldsJson(ReadFileBytes(fieldsFile), replacedHandlingId);
    ModSource source(folder);
    ReadData(ChooseModFolder(source, pick), fields, replacedHandlingId);
    source.KeepUnpacked();
  } catch (const Error& e) {
    std::fprintf(stderr, "wrenfield-cli: %s\n", Cp1251ToUtf8(e.message()).c_str());
    return 1;
  } catch (const FieldsJsonError& e) {
    std::fprintf(stderr, "wrenfield-cli: %s\n", e.what());
    return 1;
  }
  const std::string json = FormatFieldsJson(fields, replacedHandlingId);
  std::fwrite(json.data(), 1, json.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace wrenfield::cli
