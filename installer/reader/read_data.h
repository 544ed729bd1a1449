// The mod folder reader: fills the install fields from a mod folder's read-me,
// model, texture and additional files.
#pragma once

#include <string>

#include "install_fields.h"

namespace wrenfield {

// Scans the mod folder (code page 1251 text as typed) and updates fields and
// replacedHandlingId in place; what the scan does not find keeps its value.
// Throws Error when the read-me exists but cannot be read.
void ReadData(const std::string& folder, TInstallFields& fields, std::string& replacedHandlingId);
// When the model or texture is not found, ReadData puts msg::ModelFileNotFound()
// or msg::TextureFileNotFound() into DFF or TXD and sets DFFNotFound or
// TXDNotFound beside it.

}  // namespace wrenfield
