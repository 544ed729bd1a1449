// The table of texts: what the build made of its UTF-8 sentences, and how
// values are put into them. The sentences are compared as a player reads them.
#include "messages.h"

#include <gtest/gtest.h>

#include <string>

#include "readable_text.h"

namespace wrenfield {
namespace {

// Code page 1251 spells each letter in one byte: a text left in UTF-8 would
// be longer than it reads.
void ExpectSingleByte(const std::string& text) {
  std::u32string codePoints;
  ASSERT_TRUE(Utf8ToCodePoints(Readable(text), codePoints));
  EXPECT_EQ(text.size(), codePoints.size()) << Readable(text);
}

TEST(Messages, AreCodePage1251AndReadAsWritten) {
  EXPECT_EQ(Readable(msg::NoGameFolder()), "Укажите папку с GTA: San Andreas!");
  EXPECT_EQ(Readable(msg::StateUndone()), "отменена");
  EXPECT_EQ(Readable(msg::kReviewHint),
            "Проверьте все прочитаные данные, после чего нажмите кнопку \"Установить транспорт\"");
  EXPECT_EQ(Readable(msg::kOpenDialogTitle), "Отрыть файл");  // spelt as the program always had it
  EXPECT_EQ(Readable(msg::kModelFilter), "Файл модели (*.DFF)|*.dff");
  for (const std::string& text :
       {msg::NoGameFolder(), msg::Installed(), msg::NothingToUndo(), msg::ModelFileNotFound(),
        std::string(msg::kCancel), std::string(msg::kHistoryButton), std::string(msg::kCredits),
        msg::InstallAnyway("-")}) {
    ExpectSingleByte(text);
  }
  // Ё, ё and № lie outside the code page's letter block.
  EXPECT_EQ(Readable(msg::AlreadyUndone(2)), "Установка №2 уже отменена");
  EXPECT_EQ(Readable(msg::TemporaryFolderNotSpellable("C:\\T"))
                .rfind("Путь к временной папке 'C:\\T' содержит знаки", 0),
            0u);
  EXPECT_NE(Readable(msg::PasswordProtected("a.zip")).find("защищён"), std::string::npos);
}

TEST(Messages, PutEachValueInItsPlaceAsGiven) {
  EXPECT_EQ(
      Readable(msg::ArchiveDamaged("C:\\G\\gta3.img", "car.dff")),
      "IMG-архив 'C:\\G\\gta3.img' повреждён: данные записи 'car.dff' выходят за конец файла");
  EXPECT_EQ(Readable(msg::CaseDuplicate("a.img", "X.DFF", "x.dff")),
            "Архив 'a.img' содержит файлы 'X.DFF' и 'x.dff', отличающиеся только регистром букв: "
            "неясно, какой из них заменять");
  EXPECT_EQ(
      Readable(msg::IdeFields(12, 400, 15)),
      "Строка vehicles.ide содержит полей: 12, а стандартная строка транспорта 400 - 15: игра "
      "прочтёт её неверно");
  EXPECT_EQ(Readable(msg::TooLarge("m.7z", 2048ull << 20)),
            "Архив 'm.7z' распаковывается больше чем в 2048 МБ");
  EXPECT_EQ(Readable(msg::UndoQuestion(3, "MONSTER", "C:\\Mods")),
            "Отменить установку №3 (MONSTER из папки 'C:\\Mods')?");
  EXPECT_EQ(Readable(msg::Findings(msg::ErrorLine("x"))), "Проверка мода:\n\nОшибка: x");
  // A value that looks like a placeholder, or holds code page 1251 bytes, is
  // put in as it is, never filled in again.
  EXPECT_EQ(Readable(msg::UndoRefused(1, "'{2}' {1}")),
            "Установку №1 нельзя отменить: после неё изменились '{2}' {1}");
  EXPECT_EQ(Readable(msg::CannotOpenFile(msg::kCancel, "{1}")),
            "Не удаётся открыть файл 'Отмена': {1}");
  EXPECT_EQ(Readable(msg::ModArchiveDamagedIn("", "")),
            "Архив '' повреждён или скачан не полностью, ошибка в файле ''");
}

TEST(Messages, NoteThatTheRecordIsKeptEndsTheReasonWithOneFullStop) {
  const std::string kept =
      " Запись об установке сохранена: её изменения будут отменены при следующей установке или "
      "отмене.";
  EXPECT_EQ(Readable(msg::RecordKept("disk full")), "disk full." + kept);
  EXPECT_EQ(Readable(msg::RecordKept(msg::ArchiveWriteFailed())),
            "Ошибка записи в IMG-архив!" + kept);
  EXPECT_EQ(Readable(msg::RecordKept("done.")), "done." + kept);
  EXPECT_EQ(Readable(msg::RecordKept("why?")), "why?" + kept);
  EXPECT_EQ(Readable(msg::RecordKept("")), "." + kept);
  EXPECT_EQ(Readable(msg::RollbackFailed("first", "second")),
            "first\nВернуть файлы игры в прежнее состояние не удалось: second." + kept);
}

}  // namespace
}  // namespace wrenfield
