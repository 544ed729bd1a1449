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

}  // namespace wrenfield::ui_texts
