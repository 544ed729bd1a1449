// wrenfield-cli check: its lines, JSON and exit status; and install refusing a
// mod the check finds errors in, unless --force.
#include <gtest/gtest.h>

#include <string>

#include "commands.h"
#include "demo_game.h"
#include "fields_json.h"
#include "install_test_support.h"
#include "run_command.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

CommandResult RunCheck(const cli::Args& args) { return RunCommand(cli::RunCheckCommand, args); }

const char kCleanSummary[] = "Ошибок: 0, замечаний: 0\n";

TEST(CheckCommand, TheDemoModChecksClean) {
  DemoInstall demo;
  CommandResult result = RunCheck({demo.game, "--mod", demo.mod});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, kCleanSummary);
  EXPECT_EQ(result.err, "");

  const std::string fields = demo.dir.Path("fields.json");
  WriteAll(fields, cli::FormatFieldsJson(demo.fields, demo.replacedHandlingId));
  result = RunCheck({demo.game, fields, "--json"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "{\"findings\": []}\n");
}

TEST(CheckCommand, FindingsArePrintedOneALineWithTheStatusOfTheWorst) {
  DemoInstall demo;
  std::string carmods = DemoModFields(demo.mod).carmods;
  WriteAll(demo.mod + kSeparator + "readme.txt",
           DemoVehiclesLine() + "\r\nmonster, nto_b_l, wheel_xx1\r\n");
  CommandResult result = RunCheck({demo.game, "--mod", demo.mod});
  EXPECT_EQ(result.status, 0) << result.out;  // a warning only
  EXPECT_EQ(result.out.rfind("warning carmods-part: ", 0), 0u) << result.out;

  WriteAll(demo.fields.DFF, "not a model");
  result = RunCheck({demo.game, "--mod", demo.mod, "--json"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(
      result.out.find("{\"severity\": \"error\", \"code\": \"model-not-clump\", \"file\": \"" +
                      demo.fields.DFF + "\", \"message\": \""),
      std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("\"code\": \"carmods-part\""), std::string::npos);

  EXPECT_EQ(RunCheck({demo.dir.Path("nowhere"), "--mod", demo.mod}).status, 1);
  EXPECT_EQ(RunCheck({demo.game, "--mod", demo.dir.Path("nomod")}).status, 1);
  EXPECT_EQ(RunCheck({demo.game}).status, 2);  // usage
}

TEST(CheckCommand, InstallRefusesAModWithErrorsUnlessForced) {
  DemoInstall demo;
  WriteAll(demo.fields.TXD, "not a texture dictionary");
  const GameState before = StateOf(demo.game);
  CommandResult result = RunCommand(cli::RunInstallCommand, {demo.game, "--mod", demo.mod});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind("error txd-not-dictionary: ", 0), 0u) << result.err;
  EXPECT_EQ(StateOf(demo.game), before) << StateDifference(StateOf(demo.game), before);

  result = RunCommand(cli::RunInstallCommand, {demo.game, "--mod", demo.mod, "--force"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(ExtractEntry(demo.archive(), "monster.txd"), AsEntry("not a texture dictionary"));
}

}  // namespace
}  // namespace wrenfield
