// Conversions between the program's code page 1251 text and the wide text of
// the window functions, so Russian shows right whatever the system's code page.
#pragma once

#include <string>

namespace wrenfield {

std::wstring WideFromCp1251(const std::string& text);
// Characters that code page 1251 lacks become "?".
std::string Cp1251FromWide(const std::wstring& text);

}  // namespace wrenfield
