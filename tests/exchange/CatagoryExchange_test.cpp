// Export and import documents: what an import plans, and that it adds
// everything or nothing.
#include "exchange/CatagoryExchange.h"

#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "base/OsFile.h"
#include "common/TempFolder.h"
#include "store/ShortCut.h"

namespace {

const std::uint16_t kCtrlAltL = MakeShortCut('L', false, true, true);
const std::uint16_t kCtrlAltQ = MakeShortCut('Q', false, true, true);

TMacro Macro(const std::string& title, std::uint16_t shortCut) {
  TMacro macro = NewMacro();
  SetTitle(macro, title);
  macro.ShortCut = shortCut;
  SetMacroText(macro, mxLine1, "<" + title + ">");
  return macro;
}

class ExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TCatagories store(folder.Path());
    store.AddMacro(store.AddCatagory("Web"), Macro("Link", kCtrlAltL));
  }
  std::vector<TImportCatagory> Incoming(const std::string& json) {
    return ReadImportText(json, kDefaultCodePage, "test.json");
  }
  TTempFolder folder;
};

TEST_F(ExchangeTest, ExportReadsBackAsTheSameMacros) {
  TCatagories store(folder.Path());
  std::vector<TImportCatagory> back = Incoming(ExportText(store, -1, kDefaultCodePage));
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].Name, "Web");
  ASSERT_EQ(back[0].Macros.size(), 1u);
  EXPECT_EQ(0, std::memcmp(&back[0].Macros[0], &store.Items[0].Macros[0], sizeof(TMacro)));
}

TEST_F(ExchangeTest, NotJsonNamesTheFile) {
  try {
    Incoming("{\"catagories\": [");
    FAIL() << "no error";
  } catch (const EMacroJson& error) {
    EXPECT_NE(std::string(error.what()).find("\"test.json\" is not valid JSON"), std::string::npos);
  }
}

TEST_F(ExchangeTest, PlanNamesNewCatagoriesAndEveryClash) {
  TCatagories store(folder.Path());
  TImportPlan plan = PlanImport(store, Incoming(R"({"catagories": [
      {"name": "web", "macros": [{"title": "Other link", "shortcut": "Ctrl+Alt+L"}]},
      {"name": "Quotes", "macros": [{"title": "Quote", "shortcut": "Ctrl+Alt+Q"},
                                    {"title": "Quote again", "shortcut": "Ctrl+Alt+Q"},
                                    {"title": "Plain"}]}]})"));
  EXPECT_EQ(plan.MacroCount, 4);
  EXPECT_EQ(plan.NewCatagories, std::vector<std::string>{"Quotes"});
  ASSERT_EQ(plan.Clashes.size(), 2u);
  EXPECT_EQ(plan.Clashes[0].Title, "Other link");
  EXPECT_EQ(plan.Clashes[0].HeldByCatagory, "Web");
  EXPECT_EQ(plan.Clashes[0].HeldByTitle, "Link");
  EXPECT_EQ(plan.Clashes[1].Title, "Quote again");
  EXPECT_EQ(plan.Clashes[1].HeldByTitle, "Quote");
  EXPECT_EQ(plan.Clashes[1].ShortCut, kCtrlAltQ);
}

TEST_F(ExchangeTest, FileInTheWayRefusesThePlan) {
  CreateOneDirectory(folder.File("Blocked.cat"));
  TCatagories store(folder.Path());
  EXPECT_THROW(PlanImport(store, Incoming(R"({"catagories": [{"name": "Blocked"}]})")),
               std::runtime_error);
}

TEST_F(ExchangeTest, FailedWriteTakesBackEverythingAdded) {
  std::string webBefore = ReadBytes(folder.File("Web.cat"));
  TCatagories store(folder.Path());
  TImportPlan plan = PlanImport(store, Incoming(R"({"catagories": [
      {"name": "Web", "macros": [{"title": "A"}, {"title": "B"}]},
      {"name": "New", "macros": [{"title": "C"}]}]})"));
  FailNthWriteForTests(3, 100);  // "A" and "B" go in, "C" fails half-written
  EXPECT_THROW(ApplyImport(store, plan), EFileError);
  FailNthWriteForTests(0, 0);
  EXPECT_EQ(ReadBytes(folder.File("Web.cat")), webBefore);
  EXPECT_FALSE(FileExists(folder.File("New.cat")));
  ASSERT_EQ(store.Items.size(), 1u);
  EXPECT_EQ(store.Items[0].Macros.size(), 1u);
  EXPECT_EQ(TCatagories(folder.Path()).Items.size(), 1u);
}

TEST_F(ExchangeTest, ApplyAddsEveryMacro) {
  TCatagories store(folder.Path());
  TImportPlan plan = PlanImport(store, Incoming(R"({"catagories": [
      {"name": "Web", "macros": [{"title": "A"}]}, {"name": "New", "macros": [{"title": "C"}]}]})"));
  EXPECT_EQ(ApplyImport(store, plan), 2);
  TCatagories reread(folder.Path());
  EXPECT_EQ(reread.Items[FindCatagory(reread, "Web")].Macros.size(), 2u);
  EXPECT_EQ(reread.Items[FindCatagory(reread, "NEW")].Macros.size(), 1u);
}

}  // namespace
