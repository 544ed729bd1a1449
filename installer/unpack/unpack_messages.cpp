#include "unpack_messages.h"

namespace wrenfield::unpack_messages {
namespace {

const char kFile[] = "\xD4\xE0\xE9\xEB '";                    // Файл '
const char kArchive[] = "\xC0\xF0\xF5\xE8\xE2 '";             // Архив '
const char kInArchive[] = "\xC2 \xE0\xF0\xF5\xE8\xE2\xE5 '";  // В архиве '

std::string ArchiveSays(const std::string& archive, const char* rest) {
  return kArchive + archive + rest;
}

}  // namespace

std::string NotAnArchive(const std::string& archive) {
  // ' не является архивом. Поддерживаются архивы .zip, .7z и .rar
  return kFile + archive +
         "' \xED\xE5 \xFF\xE2\xEB\xFF\xE5\xF2\xF1\xFF \xE0\xF0\xF5\xE8\xE2\xEE\xEC. "
         "\xCF\xEE\xE4\xE4\xE5\xF0\xE6\xE8\xE2\xE0\xFE\xF2\xF1\xFF \xE0\xF0\xF5\xE8\xE2\xFB "
         ".zip, .7z \xE8 .rar";
}

std::string PasswordProtected(const std::string& archive) {
  // ' защищён паролем. Распакуйте его вручную и укажите папку с модом
  return ArchiveSays(archive,
                     "' \xE7\xE0\xF9\xE8\xF9\xB8\xED \xEF\xE0\xF0\xEE\xEB\xE5\xEC. "
                     "\xD0\xE0\xF1\xEF\xE0\xEA\xF3\xE9\xF2\xE5 \xE5\xE3\xEE "
                     "\xE2\xF0\xF3\xF7\xED\xF3\xFE \xE8 \xF3\xEA\xE0\xE6\xE8\xF2\xE5 "
                     "\xEF\xE0\xEF\xEA\xF3 \xF1 \xEC\xEE\xE4\xEE\xEC");
}

std::string Damaged(const std::string& archive, const std::string& entry) {
  // ' повреждён или скачан не полностью[, ошибка в файле '<entry>']
  std::string message =
      ArchiveSays(archive,
                  "' \xEF\xEE\xE2\xF0\xE5\xE6\xE4\xB8\xED \xE8\xEB\xE8 \xF1\xEA\xE0\xF7\xE0\xED "
                  "\xED\xE5 \xEF\xEE\xEB\xED\xEE\xF1\xF2\xFC\xFE");
  if (!entry.empty())
    message += ", \xEE\xF8\xE8\xE1\xEA\xE0 \xE2 \xF4\xE0\xE9\xEB\xE5 '" + entry + "'";
  return message;
}

std::string UnsafeName(const std::string& archive, const std::string& entry) {
  // ' содержит недопустимое имя '<entry>'
  return ArchiveSays(archive,
                     "' \xF1\xEE\xE4\xE5\xF0\xE6\xE8\xF2 "
                     "\xED\xE5\xE4\xEE\xEF\xF3\xF1\xF2\xE8\xEC\xEE\xE5 \xE8\xEC\xFF '") +
         entry + "'";
}

std::string LinkOrSpecialFile(const std::string& archive, const std::string& entry) {
  // ' содержит ссылку или особый файл '<entry>'
  return ArchiveSays(archive,
                     "' \xF1\xEE\xE4\xE5\xF0\xE6\xE8\xF2 \xF1\xF1\xFB\xEB\xEA\xF3 \xE8\xEB\xE8 "
                     "\xEE\xF1\xEE\xE1\xFB\xE9 \xF4\xE0\xE9\xEB '") +
         entry + "'";
}

std::string SameNameTwice(const std::string& archive, const std::string& entry) {
  // ' дважды содержит имя '<entry>'
  return ArchiveSays(archive,
                     "' \xE4\xE2\xE0\xE6\xE4\xFB \xF1\xEE\xE4\xE5\xF0\xE6\xE8\xF2 "
                     "\xE8\xEC\xFF '") +
         entry + "'";
}

std::string TooManyEntries(const std::string& archive, std::size_t limit) {
  // ' содержит больше <N> файлов и папок
  return ArchiveSays(archive, "' \xF1\xEE\xE4\xE5\xF0\xE6\xE8\xF2 \xE1\xEE\xEB\xFC\xF8\xE5 ") +
         std::to_string(limit) + " \xF4\xE0\xE9\xEB\xEE\xE2 \xE8 \xEF\xE0\xEF\xEE\xEA";
}

std::string TooLarge(const std::string& archive, std::uint64_t limitBytes) {
  // ' распаковывается больше чем в <N> МБ
  return ArchiveSays(archive,
                     "' \xF0\xE0\xF1\xEF\xE0\xEA\xEE\xE2\xFB\xE2\xE0\xE5\xF2\xF1\xFF "
                     "\xE1\xEE\xEB\xFC\xF8\xE5 \xF7\xE5\xEC \xE2 ") +
         std::to_string(limitBytes >> 20) + " \xCC\xC1";
}

std::string NoModel(const std::string& archive) {
  // В архиве '<archive>' нет файла модели (.dff)
  return kInArchive + archive +
         "' \xED\xE5\xF2 \xF4\xE0\xE9\xEB\xE0 \xEC\xEE\xE4\xE5\xEB\xE8 (.dff)";
}

std::string SeveralModFolders(const std::string& archive) {
  // В архиве '<archive>' несколько папок с моделью (.dff), выберите одну из них
  return kInArchive + archive +
         "' \xED\xE5\xF1\xEA\xEE\xEB\xFC\xEA\xEE \xEF\xE0\xEF\xEE\xEA \xF1 "
         "\xEC\xEE\xE4\xE5\xEB\xFC\xFE (.dff), \xE2\xFB\xE1\xE5\xF0\xE8\xF2\xE5 "
         "\xEE\xE4\xED\xF3 \xE8\xE7 \xED\xE8\xF5";
}

std::string NoSuchModFolder(const std::string& archive, const std::string& pick) {
  // В архиве '<archive>' нет папки с моделью '<pick>'
  return kInArchive + archive +
         "' \xED\xE5\xF2 \xEF\xE0\xEF\xEA\xE8 \xF1 \xEC\xEE\xE4\xE5\xEB\xFC\xFE '" + pick + "'";
}

std::string CannotCreateTemporaryFolder(const std::string& parent, const std::string& reason) {
  // Не удаётся создать временную папку в '<parent>': <reason>
  return "\xCD\xE5 \xF3\xE4\xE0\xB8\xF2\xF1\xFF \xF1\xEE\xE7\xE4\xE0\xF2\xFC "
         "\xE2\xF0\xE5\xEC\xE5\xED\xED\xF3\xFE \xEF\xE0\xEF\xEA\xF3 \xE2 '" +
         parent + "': " + reason;
}

std::string TemporaryFolderNotSpellable(const std::string& folder) {
  // Путь к временной папке '<folder>' содержит знаки, которых нет в кодировке
  // системы. Распакуйте архив вручную и укажите папку с модом
  return "\xCF\xF3\xF2\xFC \xEA \xE2\xF0\xE5\xEC\xE5\xED\xED\xEE\xE9 \xEF\xE0\xEF\xEA\xE5 '" +
         folder +
         "' \xF1\xEE\xE4\xE5\xF0\xE6\xE8\xF2 \xE7\xED\xE0\xEA\xE8, "
         "\xEA\xEE\xF2\xEE\xF0\xFB\xF5 \xED\xE5\xF2 \xE2 \xEA\xEE\xE4\xE8\xF0\xEE\xE2\xEA\xE5 "
         "\xF1\xE8\xF1\xF2\xE5\xEC\xFB. \xD0\xE0\xF1\xEF\xE0\xEA\xF3\xE9\xF2\xE5 "
         "\xE0\xF0\xF5\xE8\xE2 \xE2\xF0\xF3\xF7\xED\xF3\xFE \xE8 \xF3\xEA\xE0\xE6\xE8\xF2\xE5 "
         "\xEF\xE0\xEF\xEA\xF3 \xF1 \xEC\xEE\xE4\xEE\xEC";
}

std::string CannotCreateFolder(const std::string& folder, const std::string& reason) {
  // Не удаётся создать папку '<folder>': <reason>
  return "\xCD\xE5 \xF3\xE4\xE0\xB8\xF2\xF1\xFF \xF1\xEE\xE7\xE4\xE0\xF2\xFC "
         "\xEF\xE0\xEF\xEA\xF3 '" +
         folder + "': " + reason;
}

}  // namespace wrenfield::unpack_messages
