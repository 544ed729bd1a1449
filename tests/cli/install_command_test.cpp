// wrenfield-cli install: what it prints, its exit status, and the fields it
// refuses before anything is opened.
#include <gtest/gtest.h>

#include <string>

#include "commands.h"
#include "demo_game.h"
#include "fields_json.h"
#include "file_system.h"
#include "install_test_support.h"
#include "run_command.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

using testing::CommandResult;

CommandResult RunInstall(const cli::Args& args) {
  return testing::RunCommand(cli::RunInstallCommand, args);
}

// The demo's fields as a JSON file; edit replaces text in the JSON first.
std::string FieldsFile(const DemoInstall& demo, const std::string& from = "",
                       const std::string& to = "") {
  std::string json = cli::FormatFieldsJson(demo.fields, demo.replacedHandlingId);
  if (!from.empty()) json.replace(json.find(from), from.size(), to);
  const std::string path = demo.dir.Path("fields.json");
  WriteAll(path, json);
  return path;
}

TEST(InstallCommand, SuccessPrintsTheMessageInUtf8) {
  DemoInstall demo;
  const CommandResult result = RunInstall({demo.game, FieldsFile(demo)});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "Транспорт успешно установлен!\n");
  EXPECT_EQ(result.err, "");
}

TEST(InstallCommand, ModFolderIsReadThenInstalled) {
  DemoInstall demo;
  const std::string stock = testing::ReadAll(demo.data("carmods.dat"));
  const CommandResult result = RunInstall({demo.game, "--mod", demo.mod});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(testing::ReadAll(demo.data("carmods.dat")), stock);
  EXPECT_NE(testing::ReadAll(demo.data("carmods.dat")).find("\r\n" + DemoCarmodsLine() + "\r\n"),
            std::string::npos);
}

TEST(InstallCommand, FailureShowsTheMessageWithTheWindowsFinalDot) {
  DemoInstall demo;
  // Ends in "!": no dot.
  CommandResult result = RunInstall({demo.dir.Path("nowhere"), FieldsFile(demo)});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "Ошибка открытия IMG-архива!\n");
  // Ends in "'": no dot.
  result = RunInstall({demo.game, FieldsFile(demo, "monster, 32", "nosuchcar, 32")});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err.substr(result.err.size() - 14), "'carcols.dat'\n");
  // The open error ends in the system's reason, a letter: a dot is added.
  std::remove(demo.data("vehicles.ide").c_str());
  result = RunInstall({demo.game, FieldsFile(demo)});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(FullPath(demo.data("vehicles.ide"))), std::string::npos);
  EXPECT_EQ(result.err.substr(result.err.size() - 2), ".\n") << result.err;
}

TEST(InstallCommand, FieldsThatNoSingleLineEditHoldsAreRefusedBeforeAnythingIsOpened) {
  DemoInstall demo;
  const auto before = TreeSnapshot(demo.dir.path());
  const std::pair<std::string, std::string> edits[] = {
      {"monster, 32,36", "monster, 32,36\\nmonstera, 1,1"},
      {"monster, 32,36", "monster, 32,36\\r"},
      {"444, monster", "444,\\u0000 monster"},
      {"monster, exh_b_l", "monster, \\u4e2d"},  // not in code page 1251
  };
  for (const auto& [from, to] : edits) {
    const std::string fields = FieldsFile(demo, from, to);
    const auto withFields = TreeSnapshot(demo.dir.path());
    const CommandResult result = RunInstall({demo.game, fields});
    EXPECT_EQ(result.status, 1) << to;
    EXPECT_EQ(result.out, "") << to;
    EXPECT_NE(result.err, "") << to;
    EXPECT_TRUE(TreeSnapshot(demo.dir.path()) == withFields) << to;
  }
  EXPECT_EQ(RunInstall({demo.game}).status, 2);
  EXPECT_EQ(RunInstall({demo.game, "--mod"}).status, 2);
}

}  // namespace
}  // namespace wrenfield
