// The messages of unpacking a mod archive and choosing its mod folder, code page
// 1251. Each names the archive by its full path; an entry is named as the archive
// spells it, characters the code page lacks shown as "?".
#pragma once

#include <cstdint>
#include <string>

namespace wrenfield::unpack_messages {

std::string NotAnArchive(const std::string& archive);
std::string PasswordProtected(const std::string& archive);
// `entry` may be empty when the damage is not in one file's data.
std::string Damaged(const std::string& archive, const std::string& entry);
std::string UnsafeName(const std::string& archive, const std::string& entry);
std::string LinkOrSpecialFile(const std::string& archive, const std::string& entry);
std::string SameNameTwice(const std::string& archive, const std::string& entry);
std::string TooManyEntries(const std::string& archive, std::size_t limit);
std::string TooLarge(const std::string& archive, std::uint64_t limitBytes);
std::string NoModel(const std::string& archive);
std::string SeveralModFolders(const std::string& archive);
std::string NoSuchModFolder(const std::string& archive, const std::string& pick);
std::string CannotCreateTemporaryFolder(const std::string& parent, const std::string& reason);
// The user's temporary folder has a name the system's code page cannot spell
// (and no short form): `folder` in code page 1251, "?" for what it lacks.
std::string TemporaryFolderNotSpellable(const std::string& folder);
std::string CannotCreateFolder(const std::string& folder, const std::string& reason);

}  // namespace wrenfield::unpack_messages
