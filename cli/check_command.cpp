// wrenfield-cli check GAMEDIR FIELDS | check GAMEDIR --mod MODDIR|ARCHIVE
// [--pick FOLDER] [--json]: the mod check the installation runs first, on the
// same fields `install` would take. Exit status 0 without errors (warnings
// allowed), 2 with one, 1 when the mod or the game cannot be read.
#include <cstdio>
#include <optional>
#include <string>

#include "cli_messages.h"
#include "commands.h"
#include "error.h"
#include "fields_json.h"
#include "file_system.h"
#include "messages.h"
#include "mod_check.h"
#include "mod_choice.h"
#include "read_data.h"
#include "text_encoding.h"

namespace wrenfield::cli {
namespace {

int Usage() {
  std::fputs(msg::cli::CheckUsage().c_str(), stderr);
  return 2;
}

const char* SeverityName(Severity severity) {
  return severity == Severity::kError ? "error" : "warning";
}

std::string FindingsJson(const Findings& findings) {
  std::string out = "{\"findings\": [";
  for (std::size_t i = 0; i < findings.size(); ++i) {
    const Finding& f = findings[i];
    out += i == 0 ? "\n" : ",\n";
    out += std::string("  {\"severity\": \"") + SeverityName(f.severity) +
           "\", \"code\": " + JsonString(f.code) + ", \"file\": " + JsonString(f.file) +
           ", \"message\": " + JsonString(f.message) + "}";
  }
  return out + (findings.empty() ? "]}\n" : "\n]}\n");
}

}  // namespace

void PrintFindings(const Findings& findings, std::FILE* out) {
  std::size_t errors = 0;
  for (const Finding& f : findings) {
    errors += f.severity == Severity::kError ? 1 : 0;
    std::fprintf(out, "%s %s: %s\n", SeverityName(f.severity), f.code.c_str(),
                 Cp1251ToUtf8(f.message).c_str());
  }
  std::fprintf(out, "%s\n", Cp1251ToUtf8(msg::Summary(errors, findings.size() - errors)).c_str());
  std::fflush(out);
}

void ReadModFields(const Args& args, ModFields& mod) {
  if (args[1] == "--mod") {
    mod.source.emplace(args[2]);
    const std::string pick = args.size() == 5 ? PickArgument(args[4]) : "";
    ReadData(ChooseModFolder(*mod.source, pick), mod.fields, mod.replacedHandlingId);
  } else {
    mod.fields = ParseFieldsJson(ReadFileBytes(args[1]), mod.replacedHandlingId);
  }
}

bool IsModArguments(const Args& args) {
  if (args.size() == 2) return args[1].rfind("--", 0) != 0;
  return (args.size() == 3 || (args.size() == 5 && args[3] == "--pick")) && args[1] == "--mod";
}

int RunCheckCommand(const Args& given) {
  Args args;
  bool json = false;
  for (const std::string& arg : given) {
    if (arg == "--json" && !json) {
      json = true;
    } else {
      args.push_back(arg);
    }
  }
  if (!IsModArguments(args)) return Usage();
  Findings findings;
  try {
    if (args[1] == "--mod" && !DirectoryExists(args[2]) && !FileExists(args[2]))
      throw Error(msg::ModMissing(FullPath(args[2])));
    ModFields mod;
    ReadModFields(args, mod);
    findings = CheckMod(args[0], mod.fields);
  } catch (const Error& e) {
    return Fail(e.message());
  } catch (const FieldsJsonError& e) {
    std::fprintf(stderr, "wrenfield-cli: %s\n", e.what());
    return 1;
  }
  if (json) {
    const std::string text = FindingsJson(findings);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  } else {
    PrintFindings(findings, stdout);
  }
  return HasErrors(findings) ? 2 : 0;
}

}  // namespace wrenfield::cli
