#include "install_record.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "error.h"
#include "file_system.h"
#include "game_paths.h"

namespace wrenfield {
namespace {

constexpr char kHeading[] = "Wrenfield install record 1";

const char* StateName(RecordState state) {
  switch (state) {
    case RecordState::kInProgress:
      return "in progress";
    case RecordState::kComplete:
      return "complete";
    case RecordState::kUndoing:
      return "undoing";
    case RecordState::kUndone:
      return "undone";
    case RecordState::kRolledBack:
      break;
  }
  return "rolled back";
}

bool StateNamed(const std::string& name, RecordState& state) {
  for (const RecordState candidate :
       {RecordState::kInProgress, RecordState::kComplete, RecordState::kUndoing,
        RecordState::kUndone, RecordState::kRolledBack}) {
    if (name == StateName(candidate)) {
      state = candidate;
      return true;
    }
  }
  return false;
}

// Values stay on their line: control characters (a tab apart) and "%" are
// written as "%" and two hexadecimal digits.
std::string Escaped(const std::string& value) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && byte != '\t') || byte == 0x7F || byte == '%') {
      text += '%';
      text += kHex[byte >> 4];
      text += kHex[byte & 15];
    } else {
      text += c;
    }
  }
  return text;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Unescaped(const std::string& text, std::string& value) {
  value.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte < 0x20 && byte != '\t') || byte == 0x7F) return false;  // written escaped
    if (text[i] != '%') {
      value += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return false;
    value += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

bool IsHash(const std::string& text) {
  return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

bool IsNumber(const std::string& text) {
  return !text.empty() && text.size() <= 9 &&
         text.find_first_not_of("0123456789") == std::string::npos;
}

// A copy's name as this program gives it: "entry-<n>.bin", nothing that
// could lead out of the record folder.
bool IsEntryCopyName(const std::string& name) {
  const std::string prefix = "entry-", suffix = ".bin";
  return name.size() > prefix.size() + suffix.size() && name.rfind(prefix, 0) == 0 &&
         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
         IsNumber(name.substr(prefix.size(), name.size() - prefix.size() - suffix.size()));
}

struct FieldSlot {
  const char* name;
  std::string TInstallFields::*text;
};
constexpr FieldSlot kTextFields[] = {
    {"handling", &TInstallFields::handling}, {"vehicles", &TInstallFields::vehicles},
    {"carcols", &TInstallFields::carcols},   {"carmods", &TInstallFields::carmods},
    {"DFF", &TInstallFields::DFF},           {"TXD", &TInstallFields::TXD},
};

class ManifestWriter {
 public:
  void Line(const std::string& key, const std::string& value) {
    text_ += key + ": " + Escaped(value) + "\r\n";
  }
  void Item(const std::string& key, const std::string& value) { Line("  " + key, value); }
  void Heading() { text_ += std::string(kHeading) + "\r\n"; }
  std::string text() const { return text_; }

 private:
  std::string text_;
};

std::string LineNumbers(const std::vector<std::size_t>& lines) {
  std::string text;
  for (const std::size_t line : lines) {
    if (!text.empty()) text += ' ';
    text += std::to_string(line + 1);
  }
  return text;
}

bool ParseLineNumbers(const std::string& text, std::vector<std::size_t>& lines) {
  lines.clear();
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find(' ', at), text.size());
    const std::string number = text.substr(at, end - at);
    if (!IsNumber(number) || number == "0") return false;
    lines.push_back(std::stoul(number) - 1);
    at = end + 1;
  }
  return !lines.empty();
}

bool DataFileNamed(const std::string& name, DataFile& file) {
  for (const DataFile candidate : kAllDataFiles) {
    if (name == DataFileName(candidate)) {
      file = candidate;
      return true;
    }
  }
  return false;
}

// Reads the manifest's lines into the record, block by block.
class ManifestParser {
 public:
  explicit ManifestParser(InstallRecord& record) : record_(record) {}

  bool Parse(const std::string& text) {
    std::size_t at = 0;
    bool first = true;
    while (at < text.size()) {
      std::size_t end = text.find("\r\n", at);
      if (end == std::string::npos) return false;  // every line ends in CR LF
      const std::string line = text.substr(at, end - at);
      at = end + 2;
      if (first) {
        if (line != kHeading) return false;
        first = false;
      } else if (!ParseLine(line)) {
        return false;
      }
    }
    return !first && Complete();
  }

 private:
  enum class Block { kNone, kDataFile, kEntry };

  bool ParseLine(const std::string& line) {
    const bool item = line.rfind("  ", 0) == 0;
    const std::size_t colon = line.find(": ");
    if (colon == std::string::npos) return false;
    const std::string key = line.substr(item ? 2 : 0, colon - (item ? 2 : 0));
    std::string value;
    if (!Unescaped(line.substr(colon + 2), value)) return false;
    return item ? ParseItem(key, value) : ParseTop(key, value);
  }

  bool ParseTop(const std::string& key, const std::string& value) {
    block_ = Block::kNone;
    if (key == "number") {
      if (!IsNumber(value) || value == "0") return false;
      record_.number = static_cast<unsigned>(std::stoul(value));
    } else if (key == "state") {
      sawState_ = StateNamed(value, record_.state);
      return sawState_;
    } else if (key == "undo") {
      record_.forced = value == "forced";
      return record_.forced;
    } else if (key == "copies") {
      record_.pruned = value == "removed";
      return record_.pruned;
    } else if (key == "date") {
      record_.date = value;
    } else if (key == "mod folder") {
      record_.modFolder = value;
    } else if (key == "vehicle") {
      record_.vehicle = value;
    } else if (key.rfind("field ", 0) == 0) {
      return ParseField(key.substr(6), value);
    } else if (key == "data file") {
      RecordedDataFile file;
      if (!DataFileNamed(value, file.file)) return false;
      record_.dataFiles.push_back(file);
      block_ = Block::kDataFile;
    } else if (key == "entry") {
      RecordedEntry entry;
      entry.name = value;
      record_.entries.push_back(entry);
      block_ = Block::kEntry;
    } else {
      return false;
    }
    return true;
  }

  bool ParseField(const std::string& name, const std::string& value) {
    for (const FieldSlot& slot : kTextFields) {
      if (name == slot.name) {
        record_.fields.*slot.text = value;
        return true;
      }
    }
    if (name != "Adv" || value.size() < 4 || value[0] != '[' || value[2] != ']' ||
        value[3] != ' ') {
      return false;
    }
    record_.fields.Adv.push_back({value.substr(4), value[1] == 'x'});
    return true;
  }

  bool ParseItem(const std::string& key, const std::string& value) {
    if (block_ == Block::kDataFile) {
      RecordedDataFile& file = record_.dataFiles.back();
      if (key == "before") return IsHash(file.before = value);
      if (key == "after") return IsHash(file.after = value);
      if (key == "replaced lines") return ParseLineNumbers(value, file.lines);
      if (key == "new line") {
        file.newLine = value;
        return true;
      }
      return false;
    }
    if (block_ == Block::kEntry) {
      RecordedEntry& entry = record_.entries.back();
      if (key == "change") {
        entry.added = value == "added";
        return entry.added || value == "replaced";
      }
      if (key == "copy") return IsEntryCopyName(entry.copy = value);
      if (key == "old") return IsHash(entry.oldHash = value);
      if (key == "new") return IsHash(entry.newHash = value);
    }
    return false;
  }

  bool Complete() const {
    if (record_.number == 0 || !sawState_) return false;
    if (record_.pruned && record_.state != RecordState::kComplete) return false;
    for (const RecordedDataFile& file : record_.dataFiles) {
      if (file.before.empty() || file.after.empty() || file.lines.empty()) return false;
    }
    for (const RecordedEntry& entry : record_.entries) {
      if (entry.newHash.empty()) return false;
      if (!entry.added && (entry.copy.empty() || entry.oldHash.empty())) return false;
    }
    return true;
  }

  InstallRecord& record_;
  Block block_ = Block::kNone;
  bool sawState_ = false;
};

std::string ManifestPath(const std::string& gameDir, unsigned number) {
  return RecordFile(gameDir, number, kManifestFileName);
}

// The names of the entries of a folder other than "." and "..".
std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names = FindFiles(JoinPath(folder, "*"));
  names.erase(std::remove_if(names.begin(), names.end(),
                             [](const std::string& name) { return name == "." || name == ".."; }),
              names.end());
  return names;
}

}  // namespace

std::string RecordsFolder(const std::string& gameDir) {
  return GamePath(gameDir, {"Wrenfield", "installs"});
}

std::string RecordFolder(const std::string& gameDir, unsigned number) {
  char name[16];
  std::snprintf(name, sizeof name, "%04u", number);
  return JoinPath(RecordsFolder(gameDir), name);
}

std::string RecordFile(const std::string& gameDir, unsigned number, const std::string& name) {
  return JoinPath(RecordFolder(gameDir, number), name);
}

const char* DataFileCopyName(DataFile file) { return DataFileName(file); }

std::string FormatManifest(const InstallRecord& record) {
  ManifestWriter out;
  out.Heading();
  out.Line("number", std::to_string(record.number));
  out.Line("state", StateName(record.state));
  if (record.forced) out.Line("undo", "forced");
  if (record.pruned) out.Line("copies", "removed");
  out.Line("date", record.date);
  out.Line("mod folder", record.modFolder);
  out.Line("vehicle", record.vehicle);
  for (const FieldSlot& slot : kTextFields) {
    out.Line(std::string("field ") + slot.name, record.fields.*slot.text);
  }
  for (const TAdvItem& item : record.fields.Adv) {
    out.Line("field Adv", std::string(item.checked ? "[x] " : "[ ] ") + item.path);
  }
  for (const RecordedDataFile& file : record.dataFiles) {
    out.Line("data file", DataFileName(file.file));
    out.Item("before", file.before);
    out.Item("after", file.after);
    out.Item("replaced lines", LineNumbers(file.lines));
    out.Item("new line", file.newLine);
  }
  for (const RecordedEntry& entry : record.entries) {
    out.Line("entry", entry.name);
    out.Item("change", entry.added ? "added" : "replaced");
    if (!entry.added) {
      out.Item("copy", entry.copy);
      out.Item("old", entry.oldHash);
    }
    out.Item("new", entry.newHash);
  }
  return out.text();
}

bool ParseManifest(const std::string& text, InstallRecord& record) {
  record = InstallRecord();
  return ManifestParser(record).Parse(text);
}

std::vector<unsigned> RecordNumbers(const std::string& gameDir) {
  std::vector<unsigned> numbers;
  const std::string folder = RecordsFolder(gameDir);
  for (const std::string& name : FolderEntries(folder)) {
    if (IsNumber(name) && DirectoryExists(JoinPath(folder, name))) {
      const unsigned number = static_cast<unsigned>(std::stoul(name));
      if (number > 0 && RecordFolder(gameDir, number) == JoinPath(folder, name)) {
        numbers.push_back(number);
      }
    }
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

bool ReadRecord(const std::string& gameDir, unsigned number, InstallRecord& record) {
  const std::string path = ManifestPath(gameDir, number);
  if (!FileExists(path)) return false;
  try {
    return ParseManifest(ReadFileBytes(path), record) && record.number == number;
  } catch (const Error&) {
    return false;
  }
}

void WriteManifest(const std::string& gameDir, const InstallRecord& record) {
  WriteFileReplacing(ManifestPath(gameDir, record.number), FormatManifest(record));
  SyncFolder(RecordFolder(gameDir, record.number));
}

bool CommitManifest(const std::string& gameDir, const InstallRecord& record) {
  WriteFileReplacing(ManifestPath(gameDir, record.number), FormatManifest(record));
  try {
    SyncFolder(RecordFolder(gameDir, record.number));
  } catch (const Error&) {
    return false;  // committed all the same; see above
  }
  return true;
}

void RemoveRecordCopies(const std::string& gameDir, const InstallRecord& record) {
  for (const RecordedDataFile& file : record.dataFiles) {
    RemoveFile(RecordFile(gameDir, record.number, DataFileCopyName(file.file)));
  }
  for (const RecordedEntry& entry : record.entries) {
    if (!entry.added) RemoveFile(RecordFile(gameDir, record.number, entry.copy));
  }
}

bool RemoveRecordFolder(const std::string& gameDir, unsigned number) {
  const std::string folder = RecordFolder(gameDir, number);
  for (const std::string& name : FolderEntries(folder)) RemoveFile(JoinPath(folder, name));
  return RemoveEmptyFolder(folder);
}

std::uint64_t RecordSize(const std::string& gameDir, unsigned number) {
  std::uint64_t total = 0;
  const std::string folder = RecordFolder(gameDir, number);
  for (const std::string& name : FolderEntries(folder)) {
    std::uint64_t size = 0;
    if (FileSize(JoinPath(folder, name), size)) total += size;
  }
  return total;
}

std::uint64_t RecordsSize(const std::string& gameDir) {
  std::uint64_t total = 0;
  for (const unsigned number : RecordNumbers(gameDir)) total += RecordSize(gameDir, number);
  return total;
}

std::string CurrentLocalTime() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  char text[32] = {};
  if (local == nullptr || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local) == 0) {
    return "?";
  }
  return text;
}

}  // namespace wrenfield
