// wrenfield-cli read MODDIR [--fields FILE]: runs the mod folder reader and
// prints the fields it leaves as one JSON object.
#include <cstdio>
#include <string>

#include "commands.h"
#include "error.h"
#include "fields_json.h"
#include "file_system.h"
#include "read_data.h"
#include "text_encoding.h"

namespace wrenfield::cli {
namespace {

int Usage() {
  std::fputs("usage: wrenfield-cli read MODDIR [--fields FILE]\n", stderr);
  return 2;
}

}  // namespace

int RunReadCommand(const Args& args) {
  std::string folder, fieldsFile;
  bool haveFolder = false, haveFieldsFile = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--fields" && i + 1 < args.size() && !haveFieldsFile) {
      fieldsFile = args[++i];
      haveFieldsFile = true;
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
    ReadData(folder, fields, replacedHandlingId);
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
