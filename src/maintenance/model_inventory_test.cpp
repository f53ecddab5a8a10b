#include "maintenance/model_inventory.h"

#include <gtest/gtest.h>

#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::RecordingConsole;
using testing::TempDir;
using testing::WriteFile;
using Span = RecordingConsole::Span;

TEST(ModelBaseName, DropsOnlyATrailingNumericSuffix) {
  EXPECT_EQ(ModelBaseName("bracket.prt.12"), "bracket.prt");
  EXPECT_EQ(ModelBaseName("bracket.prt"), "bracket.prt");
  EXPECT_EQ(ModelBaseName("bracket.prt."), "bracket.prt.");
  EXPECT_EQ(ModelBaseName("bracket.prt.1a"), "bracket.prt.1a");
  EXPECT_EQ(ModelBaseName("noext"), "noext");
  EXPECT_EQ(ModelBaseName("v2.10"), "v2");
}

TEST(ModelKindOf, DecidesByTheFirstModelExtensionInPartAssemblyDrawingOrder) {
  EXPECT_EQ(ModelKindOf("x.prt"), ModelKind::Part);
  EXPECT_EQ(ModelKindOf("x.prt.3"), ModelKind::Part);
  EXPECT_EQ(ModelKindOf("x.prt."), ModelKind::Part);
  EXPECT_EQ(ModelKindOf("frame.asm.12"), ModelKind::Assembly);
  EXPECT_EQ(ModelKindOf("sheet.drw"), ModelKind::Drawing);
  EXPECT_EQ(ModelKindOf("x.prt.bak"), std::nullopt);
  EXPECT_EQ(ModelKindOf("x.prtx"), std::nullopt);
  // Only the first ".prt" counts; then the ".asm" test decides.
  EXPECT_EQ(ModelKindOf("a.prt_old.asm.2"), ModelKind::Assembly);
  EXPECT_EQ(ModelKindOf("notes.txt"), std::nullopt);
}

TEST(TakeInventory, CountsDistinctModelsAndEveryIterationsBytesIgnoringCase) {
  TempDir dir;
  WriteFile(dir / "a.prt.1", std::string(100, 'x'));
  WriteFile(dir / "a.prt.2", std::string(200, 'x'));
  WriteFile(dir / "x.PRT.3", std::string(5, 'x'));
  WriteFile(dir / "b.asm", std::string(1000, 'x'));
  WriteFile(dir / "x.prt.bak", "ignored");
  WriteFile(dir / "sub.prt/inner.prt.1", "folders do not count");
  const ModelInventory inventory = TakeInventory(dir.path());
  EXPECT_EQ(inventory[ModelKind::Part].models, (std::set<std::string>{"a.prt", "x.prt"}));
  EXPECT_EQ(inventory[ModelKind::Part].bytes, 305u);
  EXPECT_EQ(inventory[ModelKind::Assembly].models.size(), 1u);
  EXPECT_EQ(inventory[ModelKind::Assembly].bytes, 1000u);
  EXPECT_TRUE(inventory[ModelKind::Drawing].models.empty());
}

TEST(TakeInventory, AMissingFolderHasNoModels) {
  TempDir dir;
  const ModelInventory inventory = TakeInventory(dir / "gone");
  EXPECT_TRUE(inventory[ModelKind::Part].models.empty());
}

TEST(PrintInventory, SaysSoWhenThereAreNoModels) {
  RecordingConsole console;
  PrintInventory(console, ModelInventory{});
  const std::vector<Span> expected{{color::kGrey, "\n    "},
                                   {color::kCyan, "[FOLDER INVENTORY]\n"},
                                   {color::kGrey, "      "},
                                   {color::kGreen, "[*] No models found in target folder.\n"}};
  EXPECT_EQ(console.spans(), expected);
  EXPECT_EQ(console.color(), color::kGrey);
}

TEST(PrintInventory, OneKindPrintsItsLineAndNoTotal) {
  ModelInventory inventory;
  inventory[ModelKind::Part] = {{"a.prt", "b.prt"}, 1536};
  RecordingConsole console;
  PrintInventory(console, inventory);
  const std::vector<Span> expected{{color::kGrey, "\n    "},
                                   {color::kCyan, "[FOLDER INVENTORY]\n"},
                                   {color::kGrey, "                   Parts: "},
                                   {color::kCyan, "   2"},
                                   {color::kGrey, " ........... "},
                                   {color::kGreen, "   1.5 KB\n"}};
  EXPECT_EQ(console.spans(), expected);
  EXPECT_EQ(console.color(), color::kGrey);
}

TEST(PrintInventory, SeveralKindsInFixedOrderThenTheTotal) {
  ModelInventory inventory;
  inventory[ModelKind::Drawing] = {{"s.drw"}, 2097152};
  inventory[ModelKind::Part] = {{"a.prt"}, 300};
  inventory[ModelKind::Assembly] = {{"f.asm", "g.asm"}, 1073741824};
  RecordingConsole console;
  PrintInventory(console, inventory);
  const std::vector<Span> expected{{color::kGrey, "\n    "},
                                   {color::kCyan, "[FOLDER INVENTORY]\n"},
                                   {color::kGrey, "                   Parts: "},
                                   {color::kCyan, "   1"},
                                   {color::kGrey, " ........... "},
                                   {color::kGreen, "  300.0 B\n"},
                                   {color::kGrey, "              Assemblies: "},
                                   {color::kCyan, "   2"},
                                   {color::kGrey, " ........... "},
                                   {color::kGreen, " 1.000 GB\n"},
                                   {color::kGrey, "                Drawings: "},
                                   {color::kCyan, "   1"},
                                   {color::kGrey, " ........... "},
                                   {color::kGreen, "  2.00 MB\n"},
                                   {color::kGrey, "\n                  "},
                                   {color::kGreen, " 1.002 GB"},
                                   {color::kYellow, " in a total of "},
                                   {color::kCyan, "4"},
                                   {color::kYellow, " models\n"}};
  EXPECT_EQ(console.spans(), expected);
  EXPECT_EQ(console.color(), color::kGrey);
}

}  // namespace
}  // namespace vantor
