// The window's fixed texts, code page 1251 (readable form in each comment).
#pragma once

namespace wrenfield::ui_texts {

inline constexpr char kApplicationTitle[] = "Wrenfield";
inline constexpr char kWindowCaption[] = "Wrenfield by Odrun";

// Укажите папку с GTA: San Andreas
inline constexpr char kGameFolderPrompt[] =
    "\xD3\xEA\xE0\xE6\xE8\xF2\xE5 \xEF\xE0\xEF\xEA\xF3 \xF1 GTA: San Andreas";
// Укажите папку с транспортом
inline constexpr char kModFolderPrompt[] =
    "\xD3\xEA\xE0\xE6\xE8\xF2\xE5 \xEF\xE0\xEF\xEA\xF3 \xF1 "
    "\xF2\xF0\xE0\xED\xF1\xEF\xEE\xF0\xF2\xEE\xEC";
// Файл модели (*.DFF)|*.dff
inline constexpr char kModelFilter[] = "\xD4\xE0\xE9\xEB \xEC\xEE\xE4\xE5\xEB\xE8 (*.DFF)|*.dff";
// Файл текстур (*.TXD)|*.txd
inline constexpr char kTextureFilter[] =
    "\xD4\xE0\xE9\xEB \xF2\xE5\xEA\xF1\xF2\xF3\xF0 (*.TXD)|*.txd";
// Отрыть файл (the open-file dialog's title, spelt as the program always had it)
inline constexpr char kOpenDialogTitle[] = "\xCE\xF2\xF0\xFB\xF2\xFC \xF4\xE0\xE9\xEB";
// The close-time error when the setting cannot be stored; the path follows.
inline constexpr char kUnableToWrite[] = "Unable to write to ";

// The author's web page: the link label shows it and a click opens it.
inline constexpr char kAuthorPage[] = "www.odrun.example";
// Перейти на сайт (the link label's tooltip)
inline constexpr char kLinkTooltip[] = "\xCF\xE5\xF0\xE5\xE9\xF2\xE8 \xED\xE0 \xF1\xE0\xE9\xF2";
// Автор: Odrun, 2026 (the credits line)
inline constexpr char kCredits[] = "\xC0\xE2\xF2\xEE\xF0: Odrun, 2026";

// Транспорт
inline constexpr char kReviewGroup[] = "\xD2\xF0\xE0\xED\xF1\xEF\xEE\xF0\xF2";
// Проверьте все прочитаные данные, после чего нажмите кнопку "Установить транспорт"
inline constexpr char kReviewHint[] =
    "\xCF\xF0\xEE\xE2\xE5\xF0\xFC\xF2\xE5 \xE2\xF1\xE5 \xEF\xF0\xEE\xF7\xE8\xF2\xE0\xED\xFB\xE5 "
    "\xE4\xE0\xED\xED\xFB\xE5, \xEF\xEE\xF1\xEB\xE5 \xF7\xE5\xE3\xEE \xED\xE0\xE6\xEC\xE8\xF2\xE5 "
    "\xEA\xED\xEE\xEF\xEA\xF3 \"\xD3\xF1\xF2\xE0\xED\xEE\xE2\xE8\xF2\xFC "
    "\xF2\xF0\xE0\xED\xF1\xEF\xEE\xF0\xF2\"";
// Дополнительные файлы:
inline constexpr char kExtraFiles[] =
    "\xC4\xEE\xEF\xEE\xEB\xED\xE8\xF2\xE5\xEB\xFC\xED\xFB\xE5 \xF4\xE0\xE9\xEB\xFB:";
// Обзор... (three dots) and Обзор.. (two dots, the game folder's button)
inline constexpr char kBrowse3[] = "\xCE\xE1\xE7\xEE\xF0...";
inline constexpr char kBrowse2[] = "\xCE\xE1\xE7\xEE\xF0..";
// Установить транспорт
inline constexpr char kInstallButton[] =
    "\xD3\xF1\xF2\xE0\xED\xEE\xE2\xE8\xF2\xFC \xF2\xF0\xE0\xED\xF1\xEF\xEE\xF0\xF2";
// Путь к папке с игрой
inline constexpr char kGameFolderGroup[] =
    "\xCF\xF3\xF2\xFC \xEA \xEF\xE0\xEF\xEA\xE5 \xF1 \xE8\xE3\xF0\xEE\xE9";
// Путь к папке с транспортом
inline constexpr char kModFolderGroup[] =
    "\xCF\xF3\xF2\xFC \xEA \xEF\xE0\xEF\xEA\xE5 \xF1 \xF2\xF0\xE0\xED\xF1\xEF\xEE\xF0\xF2\xEE\xEC";

// The list of mod folders when an archive holds several (its caption is the
// application title): В архиве несколько папок с моделью (.dff), выберите одну из них:
inline constexpr char kChooseModFolder[] =
    "\xC2 \xE0\xF0\xF5\xE8\xE2\xE5 \xED\xE5\xF1\xEA\xEE\xEB\xFC\xEA\xEE "
    "\xEF\xE0\xEF\xEE\xEA \xF1 \xEC\xEE\xE4\xE5\xEB\xFC\xFE (.dff), "
    "\xE2\xFB\xE1\xE5\xF0\xE8\xF2\xE5 \xEE\xE4\xED\xF3 \xE8\xE7 \xED\xE8\xF5:";
// (верхняя папка архива): the archive's top folder in that list
inline constexpr char kArchiveTop[] =
    "(\xE2\xE5\xF0\xF5\xED\xFF\xFF \xEF\xE0\xEF\xEA\xE0 \xE0\xF0\xF5\xE8\xE2\xE0)";
inline constexpr char kOk[] = "OK";
// Отмена
inline constexpr char kCancel[] = "\xCE\xF2\xEC\xE5\xED\xE0";
// The program's own additions beside the install button, and the list they open.
// Отменить установку
inline constexpr char kUndoButton[] =
    "\xCE\xF2\xEC\xE5\xED\xE8\xF2\xFC \xF3\xF1\xF2\xE0\xED\xEE\xE2\xEA\xF3";
// Журнал установок...
inline constexpr char kHistoryButton[] =
    "\xC6\xF3\xF0\xED\xE0\xEB \xF3\xF1\xF2\xE0\xED\xEE\xE2\xEE\xEA...";
// Журнал установок (the list's caption)
inline constexpr char kHistoryTitle[] =
    "\xC6\xF3\xF0\xED\xE0\xEB \xF3\xF1\xF2\xE0\xED\xEE\xE2\xEE\xEA";
// Закрыть
inline constexpr char kCloseButton[] = "\xC7\xE0\xEA\xF0\xFB\xF2\xFC";

// The list of installations' actions and the compaction's progress.
// Удалить копии
inline constexpr char kPruneButton[] = "\xD3\xE4\xE0\xEB\xE8\xF2\xFC \xEA\xEE\xEF\xE8\xE8";
// Сжать IMG-архив
inline constexpr char kCompactButton[] = "\xD1\xE6\xE0\xF2\xFC IMG-\xE0\xF0\xF5\xE8\xE2";
// Сжатие IMG-архива
inline constexpr char kCompactTitle[] = "\xD1\xE6\xE0\xF2\xE8\xE5 IMG-\xE0\xF0\xF5\xE8\xE2\xE0";
// Остановить
inline constexpr char kStopButton[] = "\xCE\xF1\xF2\xE0\xED\xEE\xE2\xE8\xF2\xFC";

}  // namespace wrenfield::ui_texts
