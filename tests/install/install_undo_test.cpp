// Undo: after one, two and three installations of the same vehicle and of
// different ones, every data file and every entry comes back byte for byte;
// what was changed since is named and refused unless forced.
#include "install_undo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "error.h"
#include "install_test_support.h"
#include "messages.h"
#include "readable_text.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

struct Installation {
  TInstallFields fields;
  std::string handlingId;
};

// Installs each in turn; returns the state before the first and after each.
std::vector<GameState> InstallAll(const DemoInstall& demo, const std::vector<Installation>& all) {
  std::vector<GameState> states = {StateOf(demo.game)};
  for (const Installation& installation : all) {
    RecordingProgress progress;
    EXPECT_EQ(Install(demo.game, installation.fields, installation.handlingId, progress), "");
    states.push_back(StateOf(demo.game));
  }
  return states;
}

TEST(Undo, InReverseOrderReturnsEachEarlierStateForOneTwoAndThreeInstallations) {
  DemoInstall demo;
  const std::vector<Installation> all = {
      {demo.fields, "MONSTER"},
      {OtherVehicleFields(demo, "monster", "MONSTER", 1), "MONSTER"},  // the same vehicle again
      {OtherVehicleFields(demo, "landstal", "LANDSTAL", 2), "LANDSTAL"}};
  const std::vector<GameState> states = InstallAll(demo, all);
  for (std::size_t undone = 3; undone > 0; --undone) {
    SCOPED_TRACE("undoing installation " + std::to_string(undone));
    const std::string message = Readable(UndoMessage(demo.game, 0));
    EXPECT_EQ(message.rfind("Установка №" + std::to_string(undone) + " (", 0), 0u) << message;
    EXPECT_EQ(StateDifference(StateOf(demo.game), states[undone - 1]), "");
  }
  EXPECT_EQ(Readable(UndoMessage(demo.game, 0)),
            "refused: В этой папке игры нет установок, которые можно отменить");
  EXPECT_EQ(Readable(UndoMessage(demo.game, 2)), "refused: Установка №2 уже отменена");
  EXPECT_EQ(Readable(UndoMessage(demo.game, 4)), "refused: В этой папке игры нет установки №4");
}

TEST(Undo, OfAnOlderInstallationOfAnotherVehicleLeavesTheLaterOnesInPlace) {
  DemoInstall demo, reference;
  const Installation landstal = {OtherVehicleFields(demo, "landstal", "LANDSTAL", 1), "LANDSTAL"};
  const Installation bravura = {OtherVehicleFields(demo, "bravura", "BRAVURA", 2), "BRAVURA"};
  InstallAll(demo, {{demo.fields, "MONSTER"}, landstal, bravura});
  // The same two later installations without the first one.
  const std::vector<GameState> expected = InstallAll(reference, {landstal, bravura});

  EXPECT_NE(UndoMessage(demo.game, 1).rfind("refused", 0), 0u);
  EXPECT_EQ(StateDifference(StateOf(demo.game), expected[2]), "");
  EXPECT_NE(UndoMessage(demo.game, 3).rfind("refused", 0), 0u);
  EXPECT_NE(UndoMessage(demo.game, 2).rfind("refused", 0), 0u);
  EXPECT_EQ(StateDifference(StateOf(demo.game), expected[0]), "");
}

TEST(Undo, OfAnInstallationWhoseFilesChangedSinceIsRefusedNamingThemUnlessForced) {
  DemoInstall demo;
  const Installation second = {OtherVehicleFields(demo, "monster", "MONSTER", 1), "MONSTER"};
  const std::vector<GameState> states = InstallAll(demo, {{demo.fields, "MONSTER"}, second});
  const std::string refusal = Readable(UndoMessage(demo.game, 1));
  EXPECT_EQ(refusal.rfind("refused: Установку №1 нельзя отменить: после неё изменились "
                          "carcols.dat, handling.cfg, vehicles.ide, carmods.dat, 'monster.dff' "
                          "в IMG-архиве",
                          0),
            0u)
      << refusal;
  EXPECT_EQ(StateDifference(StateOf(demo.game), states[2]), "");  // nothing changed

  // A hand edit of one line the latest installation wrote is named too.
  std::string carcols = ReadAll(demo.data("carcols.dat"));
  const std::string& line = second.fields.carcols;
  carcols.replace(carcols.find(line), line.size(), "monster, 7,7, 7,7");
  WriteAll(demo.data("carcols.dat"), carcols);
  const std::string edited = Readable(UndoMessage(demo.game, 0));
  EXPECT_NE(edited.find("нельзя отменить: после неё изменились carcols.dat"), std::string::npos)
      << edited;
  EXPECT_EQ(edited.find("handling.cfg"), std::string::npos);

  // Forced, the first installation's copies come back whatever changed since.
  EXPECT_EQ(Readable(UndoMessage(demo.game, 1, true)).rfind("Установка №", 0), 0u);
  EXPECT_EQ(StateDifference(StateOf(demo.game), states[0]), "");
}

TEST(Undo, DataFileAsTheInstallationLeftItComesBackWithItsOwnLineEnds) {
  DemoInstall demo;
  std::string carmods = ReadAll(demo.data("carmods.dat"));
  for (std::size_t at; (at = carmods.find("\r\n")) != std::string::npos;) carmods.erase(at, 1);
  carmods.pop_back();  // LF line ends, none after the last line
  WriteAll(demo.data("carmods.dat"), carmods);
  const GameState before = StateOf(demo.game);
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  EXPECT_NE(ReadAll(demo.data("carmods.dat")).find("\r\n"), std::string::npos);
  EXPECT_EQ(Readable(UndoMessage(demo.game, 0)).rfind("Установка №", 0), 0u);
  EXPECT_EQ(StateDifference(StateOf(demo.game), before), "");
}

}  // namespace
}  // namespace wrenfield
