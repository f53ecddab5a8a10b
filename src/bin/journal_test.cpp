#include "bin/journal.h"

#include <gtest/gtest.h>

#include "base/paths.h"
#include "bin/history_log.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

std::string Filled(std::string text, const std::string& bin, const std::string& proj) {
  for (const auto& [key, value] : {std::pair{"{bin}", bin}, std::pair{"{proj}", proj}})
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
      text.replace(at, std::string(key).size(), value);
  return text;
}

// A journal left by a run that died, folded by whoever next takes the lock.
TEST(JournalFold, DeadRunsAreFinishedOrRolledBackAndLoggedOnce) {
  struct Case {
    const char* what;
    const char* journalName;  // beside the log
    std::string journal;
    std::vector<std::string> inBin, inProject;
    const char* log;  // nullptr: no log yet
    std::string expected;
    bool journalLeft = false;
    bool held = false;
  };
  const std::string start = "S\t2026-12-01 10:00:00\t639001224000000000\t{proj}\n";
  const std::string event = "2026-12-01 10:00:00 | SWEEP - ";
  const std::string tail = "         | {proj}\r\n";
  const Case cases[] = {
      {"moves of a dead sweep get their block on top",
       "Vantor_Sweep.log.0123456789abcdef0123456789abcdef.journal",
       start + "F\t{bin}{proj}/m.prt.1\t{proj}/m.prt.1\tM\nF\t{bin}{proj}/a.log\t{proj}/a.log\tA "
               "[Clutter]\n",
       {"m.prt.1", "a.log"},
       {},
       "old\r\n",
       event + "1 Models, 1 Clutter" + tail + "A [Clutter]\r\nM\r\nold\r\n"},
      {"a record cut short by the crash is dropped",
       "Vantor_Sweep.log.00ff.journal",
       start + "F\t{bin}{proj}/a.log\t{proj}/a.log\tA [Clutter]\nF\t{bin}{proj}/b.log\t{proj}/b.lo",
       {"a.log", "b.log"},
       {},
       "old\r\n",
       event + "0 Models, 1 Clutter" + tail + "A [Clutter]\r\nold\r\n"},
      {"a file that never left its folder gets no line",
       "Vantor_Sweep.log.01.journal",
       start + "F\t{bin}{proj}/a.log\t{proj}/a.log\tA [Clutter]\n",
       {},
       {"a.log"},
       "old\r\n",
       "old\r\n"},
      {"a line the log holds is not added twice",
       "Vantor_Sweep.log.02.journal",
       start + "F\t{bin}{proj}/a.log\t{proj}/a.log\tA [Clutter]\n",
       {"a.log"},
       {},
       "A [Clutter]\r\n",
       "A [Clutter]\r\n"},
      {"the earlier version's journal folds into a log made for it",
       "Vantor_Sweep.log.9f86d081884c7d659a2feaa0c55ad015.journal",
       start + "F\t{bin}{proj}/x.drw.2\t{proj}/x.drw.2\tX\n",
       {"x.drw.2"},
       {},
       nullptr,
       event + "1 Models, 0 Clutter" + tail + "X\r\n"},
      {"a record of a kind no one knows is passed over",
       "Vantor_Sweep.log.03.journal",
       start + "Q\tsomething\nF\tonly two\n",
       {},
       {},
       "old\r\n",
       "old\r\n"},
      {"a restore cut short before the bin copy was moved back is rolled back",
       "Vantor_Sweep.log.04.journal",
       "R\ttok\t{bin}{proj}/r.prt\t{proj}/r.prt\t\n",
       {"r.prt.tok.restoring", "r.prt.tok.partial"},
       {},
       "old\r\n",
       "old\r\n"},
      {"a journal a live run holds is left to it",
       "Vantor_Sweep.log.05.journal",
       start + "F\t{bin}{proj}/a.log\t{proj}/a.log\tA [Clutter]\n",
       {"a.log"},
       {},
       "old\r\n",
       "old\r\n",
       true,
       true},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string bin = dir / "Vantor_Sweep", proj = dir / "proj";
    const std::string log = bin + "/Vantor_Sweep.log", mirror = bin + proj;
    CreateFolders(mirror);
    CreateFolders(proj);
    for (const auto& name : c.inBin) WriteFile(mirror + "/" + name, name);
    for (const auto& name : c.inProject) WriteFile(proj + "/" + name, name);
    if (c.log) WriteFile(log, c.log);
    const std::string journal = bin + "/" + c.journalName;
    std::optional<HeldFile> holder;
    if (c.held) holder.emplace(std::move(*HeldFile::CreateNew(journal)));
    if (c.held)
      holder->Append(Filled(c.journal, bin, proj));
    else
      WriteFile(journal, Filled(c.journal, bin, proj));

    EXPECT_EQ(FoldHistory(log, 100), std::error_code()) << c.what;
    EXPECT_EQ(ReadFile(log), Filled(c.expected, bin, proj)) << c.what;
    EXPECT_EQ(PathExists(journal), c.journalLeft) << c.what;
    EXPECT_FALSE(PathExists(mirror + "/r.prt.tok.partial")) << c.what;
    if (!c.inBin.empty() && c.inBin[0] == "r.prt.tok.restoring") {
      EXPECT_EQ(ReadFile(mirror + "/r.prt"), "r.prt.tok.restoring") << c.what;
      EXPECT_FALSE(PathExists(proj + "/r.prt")) << c.what;
    }
  }
}

TEST(JournalRecords, WrittenTabSeparatedAndReadBackInPlainPaths) {
  EXPECT_EQ(SweepFileRecord("/b/x", "/p/x", "line"), "F\t/b/x\t/p/x\tline");
  EXPECT_EQ(RestoreRecord("t", "/b/x", "/p/x", ""), "R\tt\t/b/x\t/p/x\t");
  EXPECT_EQ(SweepStartRecord(BinTime{1'000'000'000, 3600}, "/p"),
            "S\t1970-01-01 01:00:00\t621356004000000000\t/p");
  const auto records = ReadJournalRecords(
      "F\t\\\\?\\C:\\B\\x\t\\\\?\\UNC\\srv\\p\\x\tL\nR\tt\t\\\\?\\C:\\B\\y\tC:\\P\\y\t\nF\tcut");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], (std::vector<std::string>{"F", "C:\\B\\x", "\\\\srv\\p\\x", "L"}));
  EXPECT_EQ(records[1], (std::vector<std::string>{"R", "t", "C:\\B\\y", "C:\\P\\y", ""}));
}

}  // namespace
}  // namespace vantor
