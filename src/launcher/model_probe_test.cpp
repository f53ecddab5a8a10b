#include "launcher/model_probe.h"

#include <gtest/gtest.h>

#include "launcher/creo_installations.h"
#include "launcher/launcher_test_support.h"

namespace vantor {
namespace {

using testing::TempDir;
using testing::WriteFile;

// Model heads as Creo and its predecessors write them: the UGC header, its
// end, then the version mark on line `line`.
std::string CreoHead(int version, int line = 4) {
  std::string head = "#UGC:2 PART 1681 1500 2 1 0 26 2500 2024000 00000101 \\\n#- VERS 0 0\n";
  for (int i = 3; i < line - 1; ++i) head += "#- HOST 1 0\n";
  const std::string v = std::to_string(version);
  return head + "#-END_OF_UGC_HEADER\n#Creo  TM  " + v + ".0  (c) 2024 by PTC Inc. " + v +
         ".0.2.0\n#USER_ID 0 0\n";
}

// Creo data marked with a build code; `release` is the 7th number of the
// first line.
std::string BuildCodeHead(const std::string& code, const std::string& release) {
  return "#UGC:2 PART 1863 1500 2 1 0 35 " + release +
         " 2014330 00000131 \\\n#- VERS 0 0\n#- HOST\n#-END_OF_UGC_HEADER\n"
         "#Creo  TM  Version " +
         code + "  (c) 2015 by PTC Inc.  All Rights Reserved. U520\n";
}

// Predecessor data: a text block of the model's own before the mark.
std::string PredecessorHead(const std::string& mark, int line, const std::string& release = "2201",
                            const std::string& end = "\n") {
  std::vector<std::string> lines{"#UGC:2 PART 1179 710 4 1 1 15 " + release + " 2001040 00000233",
                                 "#- VERS 0 0", "#-END_OF_UGC_HEADER", "#P_OBJECT 6"};
  while (static_cast<int>(lines.size()) < line - 1)
    for (const char* filler :
         {"@P_object 1 0", "0 1 ->",
          "@depend_on_list 2 0  -> 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20"})
      lines.emplace_back(filler);
  lines.resize(line - 1);
  lines.push_back(mark);
  lines.emplace_back("#UGC_TOC 1 31 81 17");
  std::string head;
  for (const auto& l : lines) head += l + end;
  return head;
}

std::string Shown(ModelMark mark) {
  switch (mark.kind) {
    case MarkKind::None:
      return "none";
    case MarkKind::Creo:
      return "creo " + std::to_string(mark.version);
    case MarkKind::UnknownCreo:
      return "unknown creo";
    case MarkKind::Predecessor:
      return "predecessor";
  }
  return "?";
}

TEST(VersionMarkOf, HeadsOfEveryRelease) {
  struct Case {
    const char* what;
    std::string head;
    std::string expected;
  };
  const Case cases[] = {
      {"Creo 9 on line 4", CreoHead(9), "creo 9"},
      {"Creo 10 on line 12", CreoHead(10, 12), "creo 10"},
      {"12 without .0", "#UGC:2 PART 2330 1500\n#-END_OF_UGC_HEADER\n#Creo  TM  12  (c) 2025\n",
       "creo 12"},
      {"lower case, tab", "#creo\ttm 11.0\n", "creo 11"},
      {"the mark wins over the header's release", "#UGC:2 PART 1 2 3 4 5 6 4300\n#Creo  TM  9.0\n",
       "creo 9"},
      {"build code P-20 is Creo 3", BuildCodeHead("P-20-53", "x"), "creo 3"},
      {"another build code without a release", BuildCodeHead("Q-01-07", "x"), "unknown creo"},
      {"Creo 1 build code, release 3200", BuildCodeHead("L-05-49", "3200"), "creo 1"},
      {"unnumbered Creo, release 4300", "#UGC:2 ASSEMBLY 1 2 3 4 5 6 4300 7\n#Creo  TM\n",
       "creo 12"},
      {"release 3199 is no Creo", "#UGC:2 PART 1 2 3 4 5 6 3199\n#Creo  TM  0.0\n", "unknown creo"},
      {"release of five digits", "#UGC:2 PART 1 2 3 4 5 6 32000\n#Creo  TM\n", "unknown creo"},
      {"release only six numbers in", "#UGC:2 PART 1 2 3 4 5 3300\n#Creo  TM\n", "unknown creo"},
      {"Creo without number or build code",
       "#-END_OF_UGC_HEADER\n#Creo  TM  (c) 2016 by PTC Inc.\n#Pro/ENGINEER  TM  Wildfire 4.0\n",
       "unknown creo"},
      {"TM must end a word", "#Creo  TM11.0\n#Creo  TMX 11\n", "none"},
      {"Wildfire 4 on line 105",
       PredecessorHead("#Pro/ENGINEER  TM  Wildfire 4.0  (c) 2007 by PTC", 105), "predecessor"},
      {"2001 on line 70, CR line ends",
       PredecessorHead("#Pro/ENGINEER  TM  2001", 70, "2201", "\r"), "predecessor"},
      {"PT/Products, CR LF line ends",
       PredecessorHead("#PT/Products  Version H-01-33", 40, "2201", "\r\n"), "predecessor"},
      {"Creo Elements/Pro", PredecessorHead("#Creo Elements/Pro  TM  5.0", 9, "3100"),
       "predecessor"},
      {"Pro/ENGINEER banner on a file Creo 1 saved",
       PredecessorHead("#Pro/ENGINEER  TM  1.0", 6, "3215"), "creo 1"},
      {"a line must begin with #", "#-END_OF_UGC_HEADER\nWildfire 4.0 model\n #Creo  TM  11.0\n",
       "none"},
      {"no mark at all", "#UGC:2 DRAWING\n#-END_OF_UGC_HEADER\n#USER_ID 0\n", "none"},
      {"empty", "", "none"},
  };
  for (const Case& c : cases) EXPECT_EQ(Shown(VersionMarkOf(c.head)), c.expected) << c.what;
}

std::string Shown(const ProbeResult& probe) {
  std::string text;
  switch (probe.data) {
    case ModelData::None:
      text = "none";
      break;
    case ModelData::Creo:
      text = "creo " + std::to_string(probe.dataVersion);
      break;
    case ModelData::Predecessor:
      text = "predecessor";
      break;
    case ModelData::Unknown:
      text = "unknown";
      break;
  }
  return text + (probe.modelsOffline ? ", offline" : "");
}

struct ModelFile {
  std::string name;
  std::string head;
  std::size_t size = 0;  // padded with bytes that are no text
};

// `bytes` of text lines that hold no mark.
std::string Filler(std::size_t bytes) { return std::string(bytes - 1, 'x') + "\n"; }

// Folders of real model files: the sample, the heads and the marks together.
TEST(SurveyModels, FoldersOfModelFiles) {
  struct Case {
    const char* what;
    std::vector<ModelFile> files;
    std::string expected;
  };
  const Case cases[] = {
      {"the highest Creo",
       {{"a.prt", CreoHead(9)}, {"b.asm", CreoHead(12)}, {"c.drw", CreoHead(10)}},
       "creo 12"},
      {"a Creo file beside predecessor files",
       {{"a.prt", CreoHead(4)}, {"b.prt", PredecessorHead("#Pro/ENGINEER  TM  Wildfire 4.0", 30)}},
       "creo 4"},
      {"predecessor files only",
       {{"a.prt", PredecessorHead("#Pro/ENGINEER  TM  Wildfire 4.0", 30)},
        {"b.prt", PredecessorHead("#Pro/ENGINEER  TM  2001", 8)}},
       "predecessor"},
      {"unknown Creo and a Creo 9 file",
       {{"a.prt", BuildCodeHead("Q-01-07", "x")}, {"b.prt", CreoHead(9)}},
       "creo 9"},
      {"a mark that ends at 64 KiB",
       {{"a.prt", Filler(65536 - 13) + "#Creo  TM  11\n"}},
       "creo 11"},
      {"a mark that begins past 64 KiB", {{"a.prt", Filler(65536) + "#Creo  TM  11\n"}}, "unknown"},
      {"a binary tail naming Wildfire",
       {{"a.prt", "#UGC:2 PART 1681\n#-END_OF_UGC_HEADER\n" + std::string(1, '\0') +
                      "\x8FWildfire 4.0\n#Pro/ENGINEER  TM  Wildfire 4.0\n"}},
       "unknown"},
      {"models without a mark", {{"plain.drw", "#UGC:2 DRAWING\n#USER_ID 0\n", 5000}}, "unknown"},
      {"no model files", {{"notes.txt", CreoHead(11)}, {"bracket.prt.bak", CreoHead(11)}}, "none"},
      {"iterations and upper case; hidden files are not models",
       {{"bracket.prt.7", CreoHead(9), 500},
        {"FRAME.ASM", CreoHead(10), 400},
        {".cache.prt", CreoHead(12), 600}},
       "creo 10"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    for (const auto& file : c.files) {
      const std::string path = dir / file.name;
      WriteFile(
          path,
          file.head +
              std::string(file.size > file.head.size() ? file.size - file.head.size() : 0, '\x8F'));
    }
    const auto entries = ListFolder(dir.path());
    ASSERT_TRUE(entries) << c.what;
    EXPECT_EQ(Shown(SurveyModels(dir.path(), *entries, PathStyle::Posix)), c.expected) << c.what;
  }
}

FolderEntry File(const std::string& name, std::uint64_t size, std::int64_t time,
                 bool offline = false, bool hidden = false, EntryKind kind = EntryKind::File) {
  FolderEntry entry;
  entry.name = name;
  entry.kind = kind;
  entry.size = size;
  entry.lastWriteNs = time;
  entry.dataOffline = offline;
  entry.hidden = hidden;
  return entry;
}

// Cloud-only models are never read, whatever they hold.
TEST(SurveyModels, ModelsThatAreAllCloudOnlyAreUnknownData) {
  const std::vector<FolderEntry> entries{File("a.prt", 900, 1, true), File("b.asm", 800, 2, true),
                                         File("notes.txt", 10, 3)};
  EXPECT_EQ(Shown(SurveyModels("/nowhere", entries, PathStyle::Posix)), "unknown, offline");
}

TEST(SelectModelSample, TheLargestAndTheNewestOnTheDiskEachOnce) {
  struct Case {
    const char* what;
    std::vector<FolderEntry> entries;
    std::string expected;  // names in sample order, then models/offline
  };
  std::vector<FolderEntry> eleven;
  for (int i = 1; i <= 11; ++i)
    eleven.push_back(File("big" + std::to_string(i) + ".prt", 100000 + i, -i));
  eleven.push_back(File("small.prt", 2000, -30));
  std::vector<FolderEntry> largestOffline = eleven;
  largestOffline[10].dataOffline = true;  // big11
  const Case cases[] = {
      {"none", {}, "| 0/0"},
      {"one", {File("a.prt", 5, 5)}, "a.prt | 1/0"},
      {"five largest, five newest; the rest unnoticed", eleven,
       "big11.prt big10.prt big9.prt big8.prt big7.prt big1.prt big2.prt big3.prt big4.prt "
       "big5.prt | 12/0"},
      {"a cloud-only file gives way to the next", largestOffline,
       "big10.prt big9.prt big8.prt big7.prt big6.prt big1.prt big2.prt big3.prt big4.prt "
       "big5.prt | 12/1"},
      {"ties go by name",
       {File("c.prt", 7, 1), File("a.prt", 7, 1), File("b.prt", 7, 1), File("e.prt", 7, 1),
        File("d.prt", 7, 1), File("f.prt", 7, 1)},
       "a.prt b.prt c.prt d.prt e.prt | 6/0"},
      {"the newest after the largest",
       {File("old_big.asm", 900, 1), File("new_small.drw", 10, 99)},
       "old_big.asm new_small.drw | 2/0"},
      {"only visible model files",
       {File("h.prt", 9, 9, false, true), File("dir.prt", 0, 9, false, false, EntryKind::Folder),
        File("link.prt", 0, 9, false, false, EntryKind::Link), File("x.txt", 9, 9),
        File("m.prt.3", 1, 1)},
       "m.prt.3 | 1/0"},
      {"all cloud-only", {File("a.prt", 1, 1, true), File("b.prt", 2, 2, true)}, "| 2/2"},
  };
  for (const Case& c : cases) {
    const ModelSample sample = SelectModelSample(c.entries);
    std::string shown;
    for (const auto& file : sample.files) shown += file.name + " ";
    shown += "| " + std::to_string(sample.models) + "/" + std::to_string(sample.offline);
    EXPECT_EQ(shown, c.expected) << c.what;
  }
}

TEST(IsModelFileName, PartsAssembliesAndDrawingsWithIterations) {
  const std::pair<const char*, bool> cases[] = {
      {"a.prt", true},   {"A.PRT.12", true}, {"b.asm.1", true},   {"c.Drw", true},
      {".prt", true},    {"a.prt.", false},  {"a.prt.7z", false}, {"a.prt.bak", false},
      {"a.prtx", false}, {"a.pr", false},    {"prt", false},      {"a.drw.007", true},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(IsModelFileName(name), expected) << name;
}

// Registry layouts as Creo's installers leave them, on real folders.
TEST(RunModelProbe, FindsTheRootsAndTheInstalledVersions) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> registry;  // sub-key, InstallLocation
    bool programFiles = true;
    std::string roots;  // "{T}" stands for the test folder
    std::string installed;
  };
  const Case cases[] = {
      {"no registry: ProgramFiles\\PTC", {}, true, "{T}/pf/PTC", "10"},
      {"no registry and no ProgramFiles\\PTC", {}, false, "NONE", "0"},
      {"locations that lead nowhere fall back",
       {{"1", "{T}/gone/Creo 9.0.0.0"}, {"2", "{T}/plain/folder"}, {"3", ""}},
       true,
       "{T}/pf/PTC",
       "10"},
      {"two sub-keys, one root; a PROE folder; each root once",
       {{"10.0.2.0", "{T}/regA/PTC/Creo 10.0.2.0/Parametric/bin"},
        {"11.0.0.0", "{T}/regB/creo 11.0.0.0"},
        {"wf5", "{T}/regA/PTC/PROE Wildfire 5.0"}},
       true,
       "{T}/regA/PTC*{T}/regB",
       "11,8,9,10"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const auto at = [&](std::string text) {
      for (std::size_t p; (p = text.find("{T}")) != std::string::npos;)
        text.replace(p, 3, dir.path());
      return text;
    };
    testing::MakeCreoRoot(dir / "pf/PTC", {"Creo 10.0.0.0"});
    testing::MakeCreoRoot(dir / "regA/PTC",
                          {"Creo 9.0.3.0", "Creo 10.0.2.0", "Creo abc", "Other 13.0"});
    CreateFolders(dir / "regA/PTC/Creo 12.0.0.0/Parametric/bin");  // no parametric.exe
    CreateFolders(dir / "regA/PTC/PROE Wildfire 5.0");
    testing::MakeCreoRoot(dir / "regB", {"creo 11.0.0.0", "Creo 8.0.0.0"});
    CreateFolders(dir / "plain/folder");
    testing::FakeWorld world;
    world.system.style = PathStyle::Posix;
    world.system.environment["ProgramFiles"] = c.programFiles ? dir / "pf" : dir / "none";
    for (const auto& [subKey, location] : c.registry)
      world.system.registryValues.push_back(
          {std::string(kCreoRegistryKey) + "\\" + subKey, "InstallLocation", at(location)});
    const ProbeResult probe = RunModelProbe(world.context, dir / "project");
    EXPECT_EQ(probe.rootsText, at(c.roots)) << c.what;
    EXPECT_EQ(InstalledVersionsText(probe), c.installed) << c.what;
    EXPECT_EQ(probe.data, ModelData::None) << c.what;
  }
}

}  // namespace
}  // namespace vantor
