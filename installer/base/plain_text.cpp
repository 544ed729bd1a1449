#include "plain_text.h"

#include <cstddef>

namespace wrenfield {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string AsciiLowerCase(std::string text) {
  for (char& c : text) c = AsciiLower(c);
  return text;
}

std::string AsciiUpperCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::vector<LineWithBreak> SplitLinesWithBreaks(std::string_view text) {
  std::vector<LineWithBreak> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t stop = start;
    while (stop < text.size() && text[stop] != '\r' && text[stop] != '\n') ++stop;
    std::size_t next = stop;
    if (next < text.size()) {
      const bool crLf = text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n';
      next += crLf ? 2 : 1;
    }
    lines.push_back({text.substr(start, stop - start), text.substr(stop, next - stop)});
    start = next;
  }
  return lines;
}

Lines SplitLines(std::string_view text) {
  Lines lines;
  for (const LineWithBreak& line : SplitLinesWithBreaks(text)) lines.emplace_back(line.text);
  return lines;
}

Lines SplitTextLines(std::string_view text) { return SplitLines(text.substr(0, text.find('\0'))); }

std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

}  // namespace wrenfield
