// Small rules on single-byte text that every part of Wrenfield shares: letter
// case of ASCII letters only, lines, and the form of a message in an error box.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wrenfield {

// ASCII A to Z as a to z; every other byte (Cyrillic letters included) stays.
char AsciiLower(char c);
std::string AsciiLowerCase(std::string text);
// ASCII a to z as A to Z; every other byte stays.
std::string AsciiUpperCase(std::string text);
// Equal once ASCII letters are folded.
bool SameIgnoringAsciiCase(std::string_view a, std::string_view b);

using Lines = std::vector<std::string>;

// One line of a text and the break that ended it ("" for a last line without).
struct LineWithBreak {
  std::string_view text;
  std::string_view lineBreak;
};

// The lines of a text, split at CR LF, lone LF and lone CR. Text after the last
// break is a line when not empty; an empty line between two breaks is kept;
// every other byte, NUL included, stays in its line. An empty text gives none.
std::vector<LineWithBreak> SplitLinesWithBreaks(std::string_view text);
Lines SplitLines(std::string_view text);
// The lines of a text file as SplitLines gives them, except that a NUL byte
// ends the text.
Lines SplitTextLines(std::string_view text);

// The message as an error box shows it: "." appended when its last byte, taken
// as unsigned, sorts after "." in the code page (so "!" and "'" endings get
// none, letters and digits do).
std::string ErrorBoxText(const std::string& message);

}  // namespace wrenfield
