// Conversions between the program's single-byte text and the wide text of the
// window functions, so Russian shows right whatever the system's code page.
// Messages and labels are code page 1251; paths are in the system's code page,
// which the file functions and Torvane take.
#pragma once

#include <string>

namespace wrenfield {

std::wstring WideFromCp1251(const std::string& text);
// Characters that code page 1251 lacks become "?".
std::string Cp1251FromWide(const std::wstring& text);

std::wstring WideFromSystem(const std::string& path);
// Characters that the system's code page lacks become "?".
std::string SystemFromWide(const std::wstring& path);
// A path of an existing file or folder for the file functions: its short form
// when the system's code page cannot spell it (where the volume keeps short
// names), else as SystemFromWide gives it.
std::string SystemPathFromWide(const std::wstring& path);

}  // namespace wrenfield
