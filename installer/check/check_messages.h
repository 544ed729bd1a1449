// The messages of the mod check, code page 1251. Files are named by the paths
// the install fields hold, entries and data-file fields as the mod spells them.
#pragma once

#include <cstddef>
#include <string>

namespace wrenfield::check_messages {

std::string ModelMissing(const std::string& file);
std::string TextureMissing(const std::string& file);
std::string ModelNotClump(const std::string& file);
std::string ModelCutShort(const std::string& file);
std::string TextureNotDictionary(const std::string& file);
std::string TextureCutShort(const std::string& file);
std::string TextureEmpty(const std::string& file);
// `version` as "3.4.0.3".
std::string RwVersion(const std::string& file, const std::string& version);

std::string IdeFields(std::size_t count, int id, std::size_t stockCount);
std::string IdeIdNotNumber(const std::string& text);
std::string IdeIdUnknown(const std::string& text);
std::string IdeModelName(const std::string& name, const std::string& file);
std::string IdeTxdName(const std::string& name, const std::string& file);
std::string HandlingFields(std::size_t count, std::size_t stockCount);
// `field` counts from 1.
std::string HandlingNotNumber(std::size_t field, const std::string& text);
std::string HandlingId(const std::string& id, const std::string& ideId);
std::string CarcolsName(const std::string& name, const std::string& model);
std::string CarmodsName(const std::string& name, const std::string& model);
std::string CarmodsPart(const std::string& part);

std::string EntryNameTooLong(const std::string& name, std::size_t maxLength);
std::string EntryNameCharacters(const std::string& name);
std::string CaseDuplicate(const std::string& archive, const std::string& first,
                          const std::string& second);

// The game cannot be checked against.
std::string GameFolderMissing(const std::string& folder);
std::string NotAnArchive(const std::string& archive);
// The mod's folder or archive does not exist.
std::string ModMissing(const std::string& path);

// How findings are listed: one line each, then the counts.
std::string ErrorLine(const std::string& message);
std::string WarningLine(const std::string& message);
std::string Summary(std::size_t errors, std::size_t warnings);
// The window: the findings after a mod is read, and the question before
// installing a mod with errors.
std::string Findings(const std::string& lines);
std::string InstallAnyway(const std::string& lines);

}  // namespace wrenfield::check_messages
