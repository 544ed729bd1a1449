// Every finding of the mod check, provoked on the demo game and mod one edit at
// a time, and the demo mod itself passing clean.
#include "mod_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "archive_image.h"
#include "demo_game.h"
#include "error.h"
#include "file_bytes.h"
#include "rw_stream.h"
#include "scratch_dir.h"

namespace wrenfield {
namespace {

using testing::ScratchDir;
using Codes = std::set<std::string>;

class ModCheck : public ::testing::Test {
 protected:
  ModCheck() {
    WriteDemoGame(game, {});
    WriteDemoMod(mod, {4000, 6000});
    fields = DemoModFields(mod);
  }

  Codes FoundCodes() const {
    Codes codes;
    for (const Finding& f : CheckMod(game, fields)) codes.insert(f.code);
    return codes;
  }

  ScratchDir dir{"check"};
  std::string game = dir.Path("game");
  std::string mod = dir.Path("mod");
  TInstallFields fields;
};

TEST_F(ModCheck, TheDemoModPassesClean) {
  EXPECT_TRUE(CheckMod(game, fields).empty());
  // Empty lines are not looked at: the install leaves those files alone.
  fields.vehicles = fields.handling = fields.carcols = fields.carmods = "";
  EXPECT_TRUE(CheckMod(game, fields).empty());
}

TEST_F(ModCheck, DataLineFindings) {
  const std::string ide = DemoVehiclesLine();
  const std::string handling = DemoHandlingLine();
  struct Case {
    const char* what;
    std::function<void(TInstallFields&)> edit;
    Codes codes;
  };
  const Case cases[] = {
      {"ide line missing a field",
       [&](TInstallFields& f) { f.vehicles = ide.substr(0, ide.rfind(',')); },
       {"ide-fields"}},
      {"boat id with a car's 15 fields",
       [&](TInstallFields& f) { f.vehicles = "430" + ide.substr(3); },
       {"ide-fields"}},
      {"id not a number",
       [&](TInstallFields& f) { f.vehicles = "44x" + ide.substr(3); },
       {"ide-id"}},
      {"id of no stock vehicle",
       [&](TInstallFields& f) { f.vehicles = "612" + ide.substr(3); },
       {"ide-id"}},
      {"model name of another file",
       [&](TInstallFields& f) { f.vehicles = "444, monstr, monster" + ide.substr(21); },
       {"ide-model-name", "carcols-name", "carmods-name"}},
      {"texture name of another file",
       [&](TInstallFields& f) { f.vehicles = "444, monster, monstr" + ide.substr(21); },
       {"ide-txd-name"}},
      {"names in another letter case",
       [&](TInstallFields& f) { f.vehicles = "444, MONSTER, Monster" + ide.substr(21); },
       {}},
      {"handling line of 33 fields",
       [&](TInstallFields& f) { f.handling = handling.substr(0, handling.rfind("\t0\t1\t20")); },
       {"handling-fields"}},
      {"handling field not a number",
       [&](TInstallFields& f) { f.handling = "MONSTER\t5200.0\tabc" + handling.substr(15); },
       {"handling-fields"}},
      {"handling flags not hex",
       [&](TInstallFields& f) {
         f.handling = handling.substr(0, handling.rfind("1300045")) + "13g0045\t0\t1\t20";
       },
       {"handling-fields"}},
      {"handling identifier not the ide line's",
       [&](TInstallFields& f) { f.handling = "MONSTR" + handling.substr(7); },
       {"handling-id"}},
      {"carcols of another model",
       [&](TInstallFields& f) { f.carcols = "monstera, 1,1"; },
       {"carcols-name"}},
      {"carmods of another model",
       [&](TInstallFields& f) { f.carmods = "monsterb, nto_b_l"; },
       {"carmods-name"}},
      {"carmods part the game lacks",
       [&](TInstallFields& f) { f.carmods = "monster, nto_b_l, wheel_xx1"; },
       {"carmods-part"}},
  };
  for (const Case& c : cases) {
    TInstallFields edited = fields;
    c.edit(edited);
    std::swap(fields, edited);
    EXPECT_EQ(FoundCodes(), c.codes) << c.what;
    std::swap(fields, edited);
  }
  // Severities: the name and part findings of carcols and carmods only warn.
  fields.carmods = "monsterb, wheel_xx1";
  fields.handling = "MONSTR" + handling.substr(7);
  for (const Finding& f : CheckMod(game, fields)) {
    EXPECT_EQ(f.severity, f.code == "handling-id" ? Severity::kError : Severity::kWarning)
        << f.code;
    EXPECT_FALSE(f.message.empty());
  }
}

TEST_F(ModCheck, ModelAndTextureFindings) {
  struct Case {
    const char* what;
    std::string dff, txd;
    Codes codes;
  };
  const std::string clump = rw_stream::Clump(3000);
  const std::string textures = rw_stream::TextureDictionary(2, 3000);
  const Case cases[] = {
      {"model of random bytes", "\x01\x02\x03 not a model at all", textures, {"model-not-clump"}},
      {"model cut short", clump.substr(0, 2000), textures, {"model-not-clump"}},
      {"texture dictionary given as the model", textures, textures, {"model-not-clump"}},
      {"model given as the texture dictionary", clump, clump, {"txd-not-dictionary"}},
      {"dictionary cut short", clump, textures.substr(0, 100), {"txd-not-dictionary"}},
      {"dictionary without a texture", clump, rw_stream::TextureDictionary(0), {"txd-empty"}},
      {"files of the second game",
       rw_stream::Clump(0, 0x1003FFFF),
       rw_stream::TextureDictionary(1, 0, 0x1003FFFF),
       {"rw-version"}},
  };
  for (const Case& c : cases) {
    testing::WriteAll(fields.DFF, c.dff);
    testing::WriteAll(fields.TXD, c.txd);
    EXPECT_EQ(FoundCodes(), c.codes) << c.what;
  }
  const Findings older = CheckMod(game, fields);
  ASSERT_EQ(older.size(), 2u);
  EXPECT_EQ(older[0].severity, Severity::kWarning);
  EXPECT_EQ(older[0].file, fields.DFF);
  EXPECT_NE(older[0].message.find("3.4.0.3"), std::string::npos);

  // Checked additional models and dictionaries are walked too; unchecked ones not.
  testing::WriteAll(fields.DFF, clump);
  testing::WriteAll(fields.TXD, textures);
  fields.Adv = {{dir.Write("wheel.DFF", "cut"), true},
                {dir.Write("extra.txd", clump), true},
                {dir.Write("spare.dff", "unused"), false}};
  EXPECT_EQ(FoundCodes(), (Codes{"model-not-clump", "txd-not-dictionary"}));
  fields.Adv.clear();

  fields.DFF = dir.Path("nowhere.dff");
  fields.TXDNotFound = true;
  EXPECT_EQ(FoundCodes(), (Codes{"model-missing", "txd-missing"}));
}

TEST_F(ModCheck, EntryNamesTheArchiveCannotHold) {
  const std::string longName = dir.Write(std::string(20, 'a') + ".dff", rw_stream::Clump());
  const std::string cyrillic = dir.Write("\xEC\xEE\xE4.txd", rw_stream::TextureDictionary(1));
  const std::string blank = dir.Write("two words.dff", rw_stream::Clump());
  fields.vehicles.clear();  // the names differ from the line's on purpose
  fields.DFF = longName;
  fields.TXD = cyrillic;
  fields.Adv = {{blank, true}, {dir.Path("unchecked name.txd"), false}};
  const Findings findings = CheckMod(game, fields);
  ASSERT_EQ(findings.size(), 3u);
  for (const Finding& f : findings) EXPECT_EQ(f.code, "entry-name");
  EXPECT_EQ(findings[0].file, longName);
  // 23 characters fit.
  fields.DFF = dir.Write(std::string(19, 'a') + ".dff", rw_stream::Clump());
  fields.TXD = fields.Adv[0].path = dir.Write("m.txd", rw_stream::TextureDictionary(1));
  EXPECT_TRUE(CheckMod(game, fields).empty());
}

TEST_F(ModCheck, EntriesEqualButForLetterCaseAmongThoseReplaced) {
  const std::string archive =
      game + testing::kSeparator + "models" + testing::kSeparator + "gta3.img";
  testing::WriteAll(archive, testing::BuildArchive({{10, 1, "monster.dff"},
                                                    {11, 1, "MONSTER.DFF"},
                                                    {12, 1, "Landstal.dff"},
                                                    {13, 1, "landstal.dff"},
                                                    {14, 1, "monster.txd"}}));
  const Findings findings = CheckMod(game, fields);
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(findings[0].code, "case-duplicate");
  EXPECT_EQ(findings[0].severity, Severity::kError);
  EXPECT_NE(findings[0].message.find("'MONSTER.DFF'"), std::string::npos);
}

TEST_F(ModCheck, AGameThatCannotBeReadIsAnErrorNotAFinding) {
  EXPECT_THROW(CheckMod(dir.Path("nowhere"), fields), Error);
  EXPECT_THROW(CheckMod("", fields), Error);
  const std::string archive =
      game + testing::kSeparator + "models" + testing::kSeparator + "gta3.img";
  testing::WriteAll(archive, "VER1 not an archive");
  EXPECT_THROW(CheckMod(game, fields), Error);
  // A folder in place of the model is no model file.
  fields.DFF = dir.MakeFolder("folder.dff");
  testing::WriteAll(archive, testing::BuildArchive({}));
  EXPECT_EQ(FoundCodes(), Codes{"model-missing"});
}

}  // namespace
}  // namespace wrenfield
