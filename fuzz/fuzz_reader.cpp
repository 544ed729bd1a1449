// Fuzzes the mod folder reader over read-me bytes and folder contents. The
// input is split at 0xFF 0x00: the first part becomes readme.txt, each further
// part names a file of the folder (separators and NULs dropped). Checks what a
// scan must always leave behind, and that the fields survive the JSON round trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "error.h"
#include "extract_field.h"
#include "fields_json.h"
#include "file_system.h"
#include "plain_text.h"
#include "read_data.h"
#include "readme_text.h"
#include "scratch_dir.h"
#include "stock_tables.h"
#include "text_encoding.h"

namespace {

using namespace wrenfield;

// The mod folder, emptied for each input, inside a scratch folder of the run.
const std::filesystem::path& Folder() {
  static testing::ScratchDir scratch("fuzz-reader");
  static const std::filesystem::path folder = scratch.Path("mod");
  return folder;
}

std::vector<std::string> SplitInput(const std::string& input) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = input.find(std::string("\xFF\0", 2), start);
    parts.push_back(input.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos || parts.size() == 16) return parts;
    start = at + 2;
  }
}

std::string SafeName(std::string name) {
  std::string safe;
  for (const char c : name) {
    if (c != '/' && c != '\0') safe += c;
  }
  if (safe.size() > 64) safe.resize(64);
  if (safe.empty() || safe == "." || safe == "..") return "";
  return safe;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckScanResult(const TInstallFields& fields, const std::string& replaced) {
  bool known = replaced.empty();
  for (const char* id : StockHandlingIds) known = known || replaced == id;
  Check(known);
  for (const std::string* line :
       {&fields.handling, &fields.vehicles, &fields.carcols, &fields.carmods}) {
    Check(line->find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
  }
  Check(fields.handling.find(' ') == std::string::npos);
  for (const TAdvItem& item : fields.Adv) Check(item.checked);

  std::string back;
  const TInstallFields parsed = cli::ParseFieldsJson(cli::FormatFieldsJson(fields, replaced), back);
  Check(back == replaced && parsed.handling == fields.handling &&
        parsed.vehicles == fields.vehicles && parsed.carcols == fields.carcols &&
        parsed.carmods == fields.carmods && parsed.DFF == fields.DFF && parsed.TXD == fields.TXD &&
        parsed.Adv.size() == fields.Adv.size());
}

void CheckText(const std::string& bytes) {
  std::string back;
  Check(Utf8ToCp1251(Cp1251ToUtf8(bytes), back) && back == bytes);
  const std::string converted = ReadmeToCp1251(bytes);
  for (const std::string& line : SplitTextLines(converted)) {
    Check(line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
  }
  (void)ExtractField(bytes, ',', 3);
  (void)MatchesWildcard(bytes.substr(0, 64), bytes.substr(bytes.size() / 2, 64));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  CheckText(input);

  std::filesystem::remove_all(Folder());
  std::filesystem::create_directories(Folder());
  const std::vector<std::string> parts = SplitInput(input);
  std::ofstream(Folder() / "readme.txt", std::ios::binary) << parts[0];
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const std::string name = SafeName(parts[i]);
    if (!name.empty() && name != "readme.txt")
      std::ofstream(Folder() / name, std::ios::binary) << "x";
  }

  TInstallFields fields;
  std::string replaced;
  try {
    ReadData(Folder().string(), fields, replaced);
  } catch (const Error&) {
    return 0;  // a file name made a folder or another read-me unreadable: allowed
  }
  CheckScanResult(fields, replaced);
  // A second scan on top of the first must keep the same guarantees.
  ReadData(Folder().string(), fields, replaced);
  CheckScanResult(fields, replaced);
  return 0;
}
