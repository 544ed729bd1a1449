// The install fields as JSON, the form `read` prints and `install` reads:
// {"handling": s, "vehicles": s, "carcols": s, "carmods": s, "DFF": s, "TXD": s,
//  "Adv": [{"path": s, "checked": b}], "ReplacedHandlingId": s}
// The fields are code page 1251; the JSON is UTF-8, each byte decoded as code
// page 1251 (0x98 as U+0098), so every field survives the round trip.
#pragma once

#include <stdexcept>
#include <string>

#include "install_fields.h"

namespace wrenfield::cli {

// A JSON text that is malformed, has a key of the wrong type, or holds a
// character code page 1251 cannot hold. The message is ASCII.
class FieldsJsonError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the fields and ReplacedHandlingId from UTF-8 JSON (escapes allowed).
// Missing keys stay empty, unknown keys are ignored, an Adv item without
// "checked" is unchecked. Throws FieldsJsonError.
TInstallFields ParseFieldsJson(const std::string& utf8, std::string& replacedHandlingId);

// The fields and ReplacedHandlingId as one UTF-8 JSON object, ending in a newline.
// A code page 1251 text as a JSON string literal in UTF-8. Control characters,
// C1 controls included, are escaped so that a terminal shows them as text.
std::string JsonString(const std::string& text);

std::string FormatFieldsJson(const TInstallFields& fields, const std::string& replacedHandlingId);

}  // namespace wrenfield::cli
