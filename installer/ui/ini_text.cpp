#include "ini_text.h"

#include <cstddef>
#include <vector>

#include "plain_text.h"

namespace wrenfield {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trimmed(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// One line of the text: its content without the break, and the break itself.
struct Line {
  std::string content;
  std::string lineBreak;
};

std::vector<Line> IniLines(const std::string& text) {
  std::vector<Line> lines;
  for (const LineWithBreak& line : SplitLinesWithBreaks(text)) {
    lines.push_back({std::string(line.text), std::string(line.lineBreak)});
  }
  return lines;
}

// The section name of a "[name]" line; false for any other line.
bool SectionName(const std::string& content, std::string& name) {
  const std::string line = Trimmed(content);
  if (line.empty() || line[0] != '[') return false;
  const size_t close = line.find(']');
  if (close == std::string::npos) return false;
  name = Trimmed(line.substr(1, close - 1));
  return true;
}

// The key and raw value of a "key=value" line; false for any other line.
bool KeyLine(const std::string& content, std::string& key, std::string& value) {
  const std::string line = Trimmed(content);
  if (line.empty() || line[0] == ';') return false;
  const size_t equals = line.find('=');
  if (equals == std::string::npos) return false;
  key = Trimmed(line.substr(0, equals));
  value = Trimmed(line.substr(equals + 1));
  return true;
}

std::string Joined(const std::vector<Line>& lines) {
  std::string text;
  for (const Line& line : lines) text += line.content + line.lineBreak;
  return text;
}

std::string PreferredBreak(const std::string& text) {
  if (text.find("\r\n") != std::string::npos) return "\r\n";
  if (text.find('\n') != std::string::npos) return "\n";
  return "\r\n";
}

}  // namespace

std::string IniValue(const std::string& text, const std::string& section, const std::string& key,
                     const std::string& fallback) {
  bool inSection = false;
  for (const Line& line : IniLines(text)) {
    std::string name, value;
    if (SectionName(line.content, name)) {
      if (inSection) break;  // only the first section of that name is read
      inSection = SameIgnoringAsciiCase(name, section);
    } else if (inSection && KeyLine(line.content, name, value) &&
               SameIgnoringAsciiCase(name, key)) {
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
          value.back() == value.front())
        value = value.substr(1, value.size() - 2);
      return value;
    }
  }
  return fallback;
}

std::string WithIniValue(const std::string& text, const std::string& section,
                         const std::string& key, const std::string& value) {
  std::vector<Line> lines = IniLines(text);
  const std::string lineBreak = PreferredBreak(text);
  const std::string keyLine = key + "=" + value;

  bool inSection = false;
  size_t insertAfter = lines.size();  // last non-blank line of the section
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string name, oldValue;
    if (SectionName(lines[i].content, name)) {
      if (inSection) break;
      inSection = SameIgnoringAsciiCase(name, section);
      if (inSection) insertAfter = i;
    } else if (inSection && KeyLine(lines[i].content, name, oldValue) &&
               SameIgnoringAsciiCase(name, key)) {
      lines[i].content = keyLine;
      return Joined(lines);
    } else if (inSection && !Trimmed(lines[i].content).empty()) {
      insertAfter = i;
    }
  }

  if (insertAfter < lines.size()) {
    if (lines[insertAfter].lineBreak.empty()) lines[insertAfter].lineBreak = lineBreak;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAfter) + 1,
                 {keyLine, lineBreak});
    return Joined(lines);
  }
  if (!lines.empty() && lines.back().lineBreak.empty()) lines.back().lineBreak = lineBreak;
  lines.push_back({"[" + section + "]", lineBreak});
  lines.push_back({keyLine, lineBreak});
  return Joined(lines);
}

}  // namespace wrenfield
