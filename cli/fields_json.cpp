#include "fields_json.h"

#include <cstddef>
#include <cstdio>

#include "cli_messages.h"
#include "text_encoding.h"

namespace wrenfield::cli {
namespace {

namespace text = msg::cli;

constexpr int kMaxDepth = 64;  // nesting allowed inside ignored values

// A small JSON reader over UTF-8 text, just enough for the fields object.
class JsonReader {
 public:
  explicit JsonReader(const std::string& text) : text_(text) {}

  void ParseFields(TInstallFields& fields, std::string& replacedHandlingId) {
    Expect('{');
    if (!Consume('}')) {
      do {
        const std::string key = ParseString();
        Expect(':');
        ParseMember(key, fields, replacedHandlingId);
      } while (Consume(','));
      Expect('}');
    }
    SkipSpace();
    if (pos_ != text_.size()) Fail(text::JsonTextAfterObject());
  }

 private:
  void ParseMember(const std::string& key, TInstallFields& fields, std::string& replaced) {
    if (key == "handling")
      fields.handling = ParseFieldText(key);
    else if (key == "vehicles")
      fields.vehicles = ParseFieldText(key);
    else if (key == "carcols")
      fields.carcols = ParseFieldText(key);
    else if (key == "carmods")
      fields.carmods = ParseFieldText(key);
    else if (key == "DFF")
      fields.DFF = ParseFieldText(key);
    else if (key == "TXD")
      fields.TXD = ParseFieldText(key);
    else if (key == "ReplacedHandlingId")
      replaced = ParseFieldText(key);
    else if (key == "Adv")
      fields.Adv = ParseAdv();
    else
      SkipValue(0);
  }

  std::vector<TAdvItem> ParseAdv() {
    std::vector<TAdvItem> items;
    Expect('[');
    if (Consume(']')) return items;
    do {
      TAdvItem item;
      Expect('{');
      if (!Consume('}')) {
        do {
          const std::string key = ParseString();
          Expect(':');
          if (key == "path")
            item.path = ParseFieldText("Adv path");
          else if (key == "checked")
            item.checked = ParseBool("Adv checked");
          else
            SkipValue(0);
        } while (Consume(','));
        Expect('}');
      }
      items.push_back(std::move(item));
    } while (Consume(','));
    Expect(']');
    return items;
  }

  // A string value as code page 1251 text.
  std::string ParseFieldText(const std::string& key) {
    SkipSpace();
    if (Peek() != '"') Fail(text::JsonNotString(key));
    const std::string utf8 = ParseString();
    std::string text;
    if (!Utf8ToCp1251(utf8, text)) {
      Fail(text::JsonNotCp1251(key));
    }
    return text;
  }

  bool ParseBool(const std::string& key) {
    SkipSpace();
    if (ConsumeWord("true")) return true;
    if (ConsumeWord("false")) return false;
    Fail(text::JsonNotBool(key));
  }

  // A JSON string as UTF-8 with its escapes resolved.
  std::string ParseString() {
    Expect('"');
    std::string out;
    for (;;) {
      if (pos_ >= text_.size()) Fail(text::JsonUnterminated());
      const char c = text_[pos_++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) Fail(text::JsonControlCharacter());
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= text_.size()) Fail(text::JsonUnterminated());
      const char escape = text_[pos_++];
      switch (escape) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u':
          AppendUtf8(ParseUnicodeEscape(), out);
          break;
        default:
          Fail(text::JsonUnknownEscape());
      }
    }
  }

  // The code point of \uXXXX (the "\u" already read), joining surrogate pairs.
  char32_t ParseUnicodeEscape() {
    char32_t unit = ParseHex4();
    if (unit >= 0xDC00 && unit <= 0xDFFF) Fail(text::JsonLoneSurrogate());
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (text_.compare(pos_, 2, "\\u") != 0) Fail(text::JsonLoneSurrogate());
      pos_ += 2;
      const char32_t low = ParseHex4();
      if (low < 0xDC00 || low > 0xDFFF) Fail(text::JsonLoneSurrogate());
      unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
    return unit;
  }

  char32_t ParseHex4() {
    if (text_.size() - pos_ < 4) Fail(text::JsonShortEscape());
    char32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[pos_++];
      value <<= 4;
      if (c >= '0' && c <= '9')
        value |= c - '0';
      else if (c >= 'a' && c <= 'f')
        value |= c - 'a' + 10;
      else if (c >= 'A' && c <= 'F')
        value |= c - 'A' + 10;
      else
        Fail(text::JsonBadEscape());
    }
    return value;
  }

  // Skips a value of a key this reader does not use.
  void SkipValue(int depth) {
    if (depth > kMaxDepth) Fail(text::JsonTooDeep());
    SkipSpace();
    const char c = Peek();
    if (c == '"') {
      ParseString();
    } else if (c == '{' || c == '[') {
      const char close = c == '{' ? '}' : ']';
      ++pos_;
      if (Consume(close)) return;
      do {
        if (c == '{') {
          ParseString();
          Expect(':');
        }
        SkipValue(depth + 1);
      } while (Consume(','));
      Expect(close);
    } else if (!ConsumeWord("true") && !ConsumeWord("false") && !ConsumeWord("null")) {
      SkipNumber();
    }
  }

  void SkipNumber() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() &&
           std::string("+-0123456789.eE").find(text_[pos_]) != std::string::npos) {
      ++pos_;
    }
    if (pos_ == start) Fail(text::JsonUnexpected());
  }

  void SkipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\n' || text_[pos_] == '\r')) {
      ++pos_;
    }
  }
  char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
  bool Consume(char c) {
    SkipSpace();
    if (Peek() != c) return false;
    ++pos_;
    return true;
  }
  void Expect(char c) {
    if (!Consume(c)) Fail(text::JsonExpected(c));
  }
  bool ConsumeWord(const char* word) {
    const std::string w = word;
    if (text_.compare(pos_, w.size(), w) != 0) return false;
    pos_ += w.size();
    return true;
  }
  [[noreturn]] void Fail(const std::string& what) const {
    throw FieldsJsonError(text::FieldsJson(what, pos_));
  }

  const std::string& text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  const std::string utf8 = Cp1251ToUtf8(text);
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    char escape[8];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(utf8[i + 1]));
      out += escape;
      ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

TInstallFields ParseFieldsJson(const std::string& utf8, std::string& replacedHandlingId) {
  TInstallFields fields;
  std::string replaced;
  JsonReader(utf8).ParseFields(fields, replaced);
  replacedHandlingId = replaced;
  return fields;
}

std::string FormatFieldsJson(const TInstallFields& fields, const std::string& replacedHandlingId) {
  std::string out = "{\n";
  const std::pair<const char*, const std::string*> texts[] = {
      {"handling", &fields.handling}, {"vehicles", &fields.vehicles}, {"carcols", &fields.carcols},
      {"carmods", &fields.carmods},   {"DFF", &fields.DFF},           {"TXD", &fields.TXD}};
  for (const auto& [key, value] : texts) {
    out += "  \"" + std::string(key) + "\": " + JsonString(*value) + ",\n";
  }
  out += "  \"Adv\": [";
  for (std::size_t i = 0; i < fields.Adv.size(); ++i) {
    out += i == 0 ? "\n" : ",\n";
    out += "    {\"path\": " + JsonString(fields.Adv[i].path) +
           ", \"checked\": " + (fields.Adv[i].checked ? "true" : "false") + "}";
  }
  out += fields.Adv.empty() ? "],\n" : "\n  ],\n";
  out += "  \"ReplacedHandlingId\": " + JsonString(replacedHandlingId) + "\n}\n";
  return out;
}

}  // namespace wrenfield::cli
