// The table of the program's texts. Written in UTF-8; the build converts every
// string literal of this file to code page 1251 (scripts/cp1251-source.pl), and
// the player's guide is checked to quote every sentence here
// (scripts/program-texts.pl). A sentence names what is put into it by number:
// {1}, {2}...
#include "messages.h"

#include <initializer_list>

namespace wrenfield::msg {

std::string Fill(const char* pattern, std::initializer_list<std::string> values) {
  std::string text;
  for (const char* at = pattern; *at != '\0'; ++at) {
    const bool placeholder = at[0] == '{' && at[1] >= '1' && at[1] <= '9' && at[2] == '}';
    const std::size_t index = placeholder ? static_cast<std::size_t>(at[1] - '1') : values.size();
    if (index < values.size()) {
      text += values.begin()[index];
      at += 2;
    } else {
      text += *at;
    }
  }
  return text;
}

namespace {

std::string Number(std::uint64_t value) { return std::to_string(value); }

}  // namespace

// --- Installing a vehicle ---
std::string NoGameFolder() { return "Укажите папку с GTA: San Andreas!"; }
std::string ArchiveOpenFailed() { return "Ошибка открытия IMG-архива!"; }
std::string DataLineNotReplaced(const std::string& file) {
  return Fill("Ошибка замены строки в '{1}'", {file});
}
std::string ModelNotFound() { return "Не удаётся найти указанный файл модели транспорта!"; }
std::string ModelReplaceFailed() { return "Ошибка замены DFF!"; }
std::string TextureNotFound() { return "Не удаётся найти указанный файл текстур транспорта!"; }
std::string TextureReplaceFailed() { return "Ошибка замены TXD!"; }
std::string ArchiveWriteFailed() { return "Ошибка записи в IMG-архив!"; }
std::string Installed() { return "Транспорт успешно установлен!"; }
std::string BackupFailed(const std::string& backup) {
  return Fill("Не удаётся создать резервную копию '{1}'", {backup});
}
std::string ArchiveDamaged(const std::string& archive, const std::string& entry) {
  return Fill("IMG-архив '{1}' повреждён: данные записи '{2}' выходят за конец файла",
              {archive, entry});
}
std::string ArchiveEntryTwice(const std::string& archive, const std::string& entry) {
  return Fill("В IMG-архиве '{1}' несколько записей '{2}'; какую из них заменять, неясно",
              {archive, entry});
}
std::string AdditionalNameUnfit(const std::string& file) {
  return Fill(
      "Имя дополнительного файла '{1}' длиннее 23 символов и не может быть именем записи "
      "IMG-архива",
      {file});
}
std::string JournalSetAside(const std::string& journal) {
  return Fill("Запись прерванного изменения не совпала с IMG-архивом и отложена в файл '{1}'",
              {journal});
}
std::string CopyDamaged(const std::string& copy) {
  return Fill("Копия '{1}' в записи об установке повреждена или отсутствует; ничего не изменено",
              {copy});
}
std::string EntryCopyFailed(const std::string& entry, const std::string& file,
                            const std::string& reason) {
  return Fill("Не удаётся скопировать запись '{1}' из IMG-архива в файл '{2}': {3}",
              {entry, file, reason});
}
std::string RollbackFailed(const std::string& failure, const std::string& reason) {
  return Fill("{1}\nВернуть файлы игры в прежнее состояние не удалось: {2}",
              {failure, RecordKept(reason)});
}
std::string RecordKept(const std::string& reason) {
  // A reason that ends a sentence itself is not given a second full stop.
  const char last = reason.empty() ? '\0' : reason.back();
  const bool ended = last == '.' || last == '!' || last == '?';
  if (ended) {
    return Fill(
        "{1} Запись об установке сохранена: её изменения будут отменены при следующей "
        "установке или отмене.",
        {reason});
  }
  return Fill(
      "{1}. Запись об установке сохранена: её изменения будут отменены при следующей "
      "установке или отмене.",
      {reason});
}

// --- The install record: recovery, undo and history ---
std::string EntryInArchive(const std::string& entry) { return Fill("'{1}' в IMG-архиве", {entry}); }
std::string InterruptedInstallUndone(unsigned number, const std::string& vehicle,
                                     const std::string& modFolder, const std::string& left) {
  if (left.empty()) {
    return Fill("Установка №{1} ({2} из папки '{3}') была прервана; её изменения отменены.",
                {Number(number), vehicle, modFolder});
  }
  return Fill(
      "Установка №{1} ({2} из папки '{3}') была прервана; её изменения отменены; без целых "
      "копий в записи оставлены как есть: {4}.",
      {Number(number), vehicle, modFolder, left});
}
std::string InterruptedUndoFinished(unsigned number, const std::string& vehicle,
                                    const std::string& modFolder, const std::string& left) {
  if (left.empty()) {
    return Fill("Отмена установки №{1} ({2} из папки '{3}') была прервана и теперь завершена.",
                {Number(number), vehicle, modFolder});
  }
  return Fill(
      "Отмена установки №{1} ({2} из папки '{3}') была прервана и теперь завершена; без "
      "целых копий в записи оставлены как есть: {4}.",
      {Number(number), vehicle, modFolder, left});
}
std::string RecoveryFailed(unsigned number, const std::string& vehicle,
                           const std::string& modFolder, const std::string& reason) {
  return Fill("Не удаётся отменить прерванную установку №{1} ({2} из папки '{3}'): {4}",
              {Number(number), vehicle, modFolder, reason});
}
std::string ChangedSinceLeftAsIs(const std::string& names, unsigned number) {
  return Fill(
      "после неё изменились {1}; они оставлены как есть. Отменить установку, вернув и их "
      "прежнее содержимое: undo {2} --force",
      {names, Number(number)});
}
std::string NothingToUndo() { return "В этой папке игры нет установок, которые можно отменить"; }
std::string NoSuchInstall(unsigned number) {
  return Fill("В этой папке игры нет установки №{1}", {Number(number)});
}
std::string AlreadyUndone(unsigned number) {
  return Fill("Установка №{1} уже отменена", {Number(number)});
}
std::string UndoRefused(unsigned number, const std::string& names) {
  return Fill("Установку №{1} нельзя отменить: после неё изменились {2}", {Number(number), names});
}
std::string UndoRefusedByLater(unsigned number, const std::string& names,
                               const std::string& laterNumbers) {
  return Fill(
      "Установку №{1} нельзя отменить: после неё изменились {2}; их изменили более поздние "
      "установки №{3}",
      {Number(number), names, laterNumbers});
}
std::string InstallUndone(unsigned number, const std::string& vehicle,
                          const std::string& modFolder) {
  return Fill("Установка №{1} ({2} из папки '{3}') отменена.",
              {Number(number), vehicle, modFolder});
}
std::string UndoQuestion(unsigned number, const std::string& vehicle,
                         const std::string& modFolder) {
  return Fill("Отменить установку №{1} ({2} из папки '{3}')?",
              {Number(number), vehicle, modFolder});
}
std::string RecordsSpace(std::uint64_t bytes) {
  return Fill("Записи об установках занимают на диске {1} байт", {Number(bytes)});
}
std::string StateInProgress() { return "не завершена"; }
std::string StateComplete() { return "установлена"; }
std::string StateUndoing() { return "отменяется"; }
std::string StateUndone() { return "отменена"; }
std::string StateRolledBack() { return "не удалась, изменения отменены"; }
std::string StateUnreadable() { return "запись повреждена"; }
std::string StatePruned() { return "установлена, копии удалены: отменить нельзя"; }
std::string Bytes(std::uint64_t bytes) { return Fill("{1} байт", {Number(bytes)}); }

// --- Pruning the records' copies ---
std::string PrunedUndoRefused(unsigned number) {
  return Fill("Установку №{1} нельзя отменить: копии, нужные для отмены, удалены",
              {Number(number)});
}
std::string PruneWarning(const std::string& numbers) {
  return Fill("После удаления копий нельзя будет отменить установки №{1}", {numbers});
}
std::string PruneQuestion() { return "Удалить копии?"; }
std::string PruneFreed(std::uint64_t bytes) {
  return Fill("Освобождено на диске: {1} байт", {Number(bytes)});
}

// --- Compacting the IMG archive from the list of installations ---
std::string Reclaimable(std::uint64_t bytes) {
  return Fill("Сжатие IMG-архива освободит {1} байт", {Number(bytes)});
}
std::string ArchiveCompacted(std::uint64_t before, std::uint64_t after) {
  return Fill("IMG-архив сжат: было {1} байт, стало {2} байт.", {Number(before), Number(after)});
}
std::string CompactFailed(const std::string& reason) {
  return Fill("Не удалось сжать IMG-архив: {1}", {reason});
}
std::string CompactStopped() {
  return "Сжатие IMG-архива остановлено; архив цел, повторное сжатие завершит его";
}

// --- Reading a mod folder ---
std::string ModelFileNotFound() {
  return "Файл модели не найден. Укажите его вручную, нажав кнопку \"Обзор\"";
}
std::string TextureFileNotFound() {
  return "Файл текстуры не найден. Укажите его вручную, нажав кнопку \"Обзор\"";
}
std::string CannotOpenFile(const std::string& file, const std::string& reason) {
  return Fill("Не удаётся открыть файл '{1}': {2}", {file, reason});
}
std::string CannotCreateFile(const std::string& file, const std::string& reason) {
  return Fill("Не удаётся создать файл '{1}': {2}", {file, reason});
}

// --- Unpacking a mod archive and choosing its mod folder ---
std::string NotAModArchive(const std::string& archive) {
  return Fill("Файл '{1}' не является архивом. Поддерживаются архивы .zip, .7z и .rar", {archive});
}
std::string PasswordProtected(const std::string& archive) {
  return Fill("Архив '{1}' защищён паролем. Распакуйте его вручную и укажите папку с модом",
              {archive});
}
std::string ModArchiveDamaged(const std::string& archive) {
  return Fill("Архив '{1}' повреждён или скачан не полностью", {archive});
}
std::string ModArchiveDamagedIn(const std::string& archive, const std::string& entry) {
  return Fill("Архив '{1}' повреждён или скачан не полностью, ошибка в файле '{2}'",
              {archive, entry});
}
std::string UnsafeName(const std::string& archive, const std::string& entry) {
  return Fill("Архив '{1}' содержит недопустимое имя '{2}'", {archive, entry});
}
std::string LinkOrSpecialFile(const std::string& archive, const std::string& entry) {
  return Fill("Архив '{1}' содержит ссылку или особый файл '{2}'", {archive, entry});
}
std::string SameNameTwice(const std::string& archive, const std::string& entry) {
  return Fill("Архив '{1}' дважды содержит имя '{2}'", {archive, entry});
}
std::string TooManyEntries(const std::string& archive, std::size_t limit) {
  return Fill("Архив '{1}' содержит больше {2} файлов и папок", {archive, Number(limit)});
}
std::string TooLarge(const std::string& archive, std::uint64_t limitBytes) {
  return Fill("Архив '{1}' распаковывается больше чем в {2} МБ",
              {archive, Number(limitBytes >> 20)});
}
std::string NoModel(const std::string& archive) {
  return Fill("В архиве '{1}' нет файла модели (.dff)", {archive});
}
std::string SeveralModFolders(const std::string& archive) {
  return Fill("В архиве '{1}' несколько папок с моделью (.dff), выберите одну из них", {archive});
}
std::string NoSuchModFolder(const std::string& archive, const std::string& pick) {
  return Fill("В архиве '{1}' нет папки с моделью '{2}'", {archive, pick});
}
std::string CannotCreateTemporaryFolder(const std::string& parent, const std::string& reason) {
  return Fill("Не удаётся создать временную папку в '{1}': {2}", {parent, reason});
}
std::string TemporaryFolderNotSpellable(const std::string& folder) {
  return Fill(
      "Путь к временной папке '{1}' содержит знаки, которых нет в кодировке системы. "
      "Распакуйте архив вручную и укажите папку с модом",
      {folder});
}
std::string CannotCreateFolder(const std::string& folder, const std::string& reason) {
  return Fill("Не удаётся создать папку '{1}': {2}", {folder, reason});
}

// --- The mod check ---
std::string ModelMissing(const std::string& file) {
  return Fill("Файл модели '{1}' не найден", {file});
}
std::string TextureMissing(const std::string& file) {
  return Fill("Файл текстур '{1}' не найден", {file});
}
std::string ModelNotClump(const std::string& file) {
  return Fill("Файл '{1}' не является моделью транспорта (DFF): игра вылетит при его загрузке",
              {file});
}
std::string ModelCutShort(const std::string& file) {
  return Fill("Файл модели '{1}' повреждён или скачан не полностью: игра вылетит при его загрузке",
              {file});
}
std::string TextureNotDictionary(const std::string& file) {
  return Fill("Файл '{1}' не является словарём текстур (TXD): игра вылетит при его загрузке",
              {file});
}
std::string TextureCutShort(const std::string& file) {
  return Fill("Файл текстур '{1}' повреждён или скачан не полностью: игра вылетит при его загрузке",
              {file});
}
std::string TextureEmpty(const std::string& file) {
  return Fill("Словарь текстур '{1}' не содержит ни одной текстуры: транспорт будет без текстур",
              {file});
}
std::string RwVersion(const std::string& file, const std::string& version) {
  return Fill(
      "Файл '{1}' сохранён для RenderWare {2}, а модели игры - для 3.6.0.3: в игре он может "
      "выглядеть неверно",
      {file, version});
}
std::string IdeFields(std::size_t count, int id, std::size_t stockCount) {
  return Fill(
      "Строка vehicles.ide содержит полей: {1}, а стандартная строка транспорта {2} - {3}: "
      "игра прочтёт её неверно",
      {Number(count), std::to_string(id), Number(stockCount)});
}
std::string IdeIdNotNumber(const std::string& text) {
  return Fill("Номер транспорта '{1}' в строке vehicles.ide не является числом", {text});
}
std::string IdeIdUnknown(const std::string& text) {
  return Fill(
      "Номер '{1}' в строке vehicles.ide не принадлежит ни одному стандартному транспорту "
      "(400-611)",
      {text});
}
std::string IdeModelName(const std::string& name, const std::string& file) {
  return Fill(
      "Имя модели '{1}' в строке vehicles.ide не совпадает с именем файла '{2}': игра загрузит "
      "другую модель или не найдёт её",
      {name, file});
}
std::string IdeTxdName(const std::string& name, const std::string& file) {
  return Fill(
      "Имя текстур '{1}' в строке vehicles.ide не совпадает с именем файла '{2}': игра "
      "загрузит другие текстуры или не найдёт их",
      {name, file});
}
std::string HandlingFields(std::size_t count, std::size_t stockCount) {
  return Fill(
      "Строка handling.cfg содержит полей: {1}, а строки транспорта в игре - {2}: игра прочтёт "
      "её неверно",
      {Number(count), Number(stockCount)});
}
std::string HandlingNotNumber(std::size_t field, const std::string& text) {
  return Fill("Поле {1} строки handling.cfg '{2}' должно быть числом", {Number(field), text});
}
std::string HandlingId(const std::string& id, const std::string& ideId) {
  return Fill(
      "Идентификатор '{1}' строки handling.cfg не совпадает с полем 5 строки vehicles.ide "
      "'{2}': игра не найдёт параметры транспорта",
      {id, ideId});
}
std::string CarcolsName(const std::string& name, const std::string& model) {
  return Fill(
      "Строка carcols.dat начинается с '{1}', а не с имени модели '{2}' из строки "
      "vehicles.ide: цвета транспорта не изменятся",
      {name, model});
}
std::string CarmodsName(const std::string& name, const std::string& model) {
  return Fill(
      "Строка carmods.dat начинается с '{1}', а не с имени модели '{2}' из строки "
      "vehicles.ide: детали тюнинга не будут доступны",
      {name, model});
}
std::string CarmodsPart(const std::string& part) {
  return Fill("Детали '{1}' из строки carmods.dat нет среди деталей тюнинга игры", {part});
}
std::string EntryNameTooLong(const std::string& name, std::size_t maxLength) {
  return Fill("Имя файла '{1}' длиннее {2} символов: в архиве gta3.img такое имя не поместится",
              {name, Number(maxLength)});
}
std::string EntryNameCharacters(const std::string& name) {
  return Fill(
      "Имя файла '{1}' содержит пробел, запятую или символ, кроме латинских букв, цифр и "
      "знаков: в архиве gta3.img такого имени быть не может",
      {name});
}
std::string CaseDuplicate(const std::string& archive, const std::string& first,
                          const std::string& second) {
  return Fill(
      "Архив '{1}' содержит файлы '{2}' и '{3}', отличающиеся только регистром букв: неясно, "
      "какой из них заменять",
      {archive, first, second});
}
std::string GameFolderMissing(const std::string& folder) {
  return Fill("Папка с игрой '{1}' не найдена", {folder});
}
std::string NotAnImgArchive(const std::string& archive) {
  return Fill("Файл '{1}' не является архивом IMG версии 2", {archive});
}
std::string ModMissing(const std::string& path) {
  return Fill("Папка или архив с модом '{1}' не найдены", {path});
}
std::string ErrorLine(const std::string& message) { return Fill("Ошибка: {1}", {message}); }
std::string WarningLine(const std::string& message) { return Fill("Замечание: {1}", {message}); }
std::string Summary(std::size_t errors, std::size_t warnings) {
  return Fill("Ошибок: {1}, замечаний: {2}", {Number(errors), Number(warnings)});
}
std::string Findings(const std::string& lines) { return Fill("Проверка мода:\n\n{1}", {lines}); }
std::string InstallAnyway(const std::string& lines) {
  return Fill(
      "Проверка мода нашла ошибки, из-за которых игра может вылететь или не использовать мод:"
      "\n\n{1}\n\nВсё равно установить?",
      {lines});
}

// --- The window's fixed texts ---
const char kApplicationTitle[] = "Wrenfield";
const char kWindowCaption[] = "Wrenfield by Odrun";
const char kGameFolderPrompt[] = "Укажите папку с GTA: San Andreas";
const char kModFolderPrompt[] = "Укажите папку с транспортом";
const char kModelFilter[] = "Файл модели (*.DFF)|*.dff";
const char kTextureFilter[] = "Файл текстур (*.TXD)|*.txd";
const char kOpenDialogTitle[] = "Отрыть файл";
const char kUnableToWrite[] = "Unable to write to ";
const char kAuthorPage[] = "www.odrun.example";
const char kLinkTooltip[] = "Перейти на сайт";
const char kCredits[] = "Автор: Odrun, 2026";
const char kReviewGroup[] = "Транспорт";
const char kReviewHint[] =
    "Проверьте все прочитаные данные, после чего нажмите кнопку \"Установить транспорт\"";
const char kExtraFiles[] = "Дополнительные файлы:";
const char kBrowse3[] = "Обзор...";
const char kBrowse2[] = "Обзор..";
const char kInstallButton[] = "Установить транспорт";
const char kGameFolderGroup[] = "Путь к папке с игрой";
const char kModFolderGroup[] = "Путь к папке с транспортом";
const char kChooseModFolder[] = "В архиве несколько папок с моделью (.dff), выберите одну из них:";
const char kArchiveTop[] = "(верхняя папка архива)";
const char kOk[] = "OK";
const char kCancel[] = "Отмена";
const char kUndoButton[] = "Отменить установку";
const char kHistoryButton[] = "Журнал установок...";
const char kHistoryTitle[] = "Журнал установок";
const char kCloseButton[] = "Закрыть";
const char kPruneButton[] = "Удалить копии";
const char kCompactButton[] = "Сжать IMG-архив";
const char kCompactTitle[] = "Сжатие IMG-архива";
const char kStopButton[] = "Остановить";

}  // namespace wrenfield::msg
