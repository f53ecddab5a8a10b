#include "shell/shared_constants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "testing/fakes.h"

namespace vantor {
namespace {

std::string ScriptSource(const std::string& name) {
  return testing::ReadFile(std::string(VANTOR_SOURCE_DIR) + "/resources/scripts/" + name);
}

// The first group of every match of `pattern` in `text`.
std::vector<std::string> Captures(const std::string& text, const std::string& pattern) {
  std::vector<std::string> found;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
       ++it)
    found.push_back((*it)[1]);
  return found;
}

// The scripts write the same history log and bin as the program: a value
// changed on one side only must fail here, not in a user's log.
TEST(SharedConstants, TheScriptsUseTheProgramsValues) {
  const std::string prelude = ScriptSource("prelude.ps1");
  ASSERT_FALSE(prelude.empty());
  struct Case {
    const char* what;
    std::string pattern;
    std::string expected;
  };
  const Case cases[] = {
      {"swept file name column", R"(\$Name\[\$i\]\.PadRight\((\d+)\))",
       std::to_string(kHistoryNameWidth)},
      {"sweep event column", R"(\$text\.PadRight\((\d+)\))", std::to_string(kHistoryNameWidth)},
      {"folder column", R"(\$Folder\.PadRight\((\d+)\))", std::to_string(kHistoryFolderWidth)},
      {"lock wait", R"(\$TimeoutMilliseconds = (\d+))", std::to_string(kHistoryLockTimeoutMs)},
  };
  for (const Case& c : cases) {
    const auto values = Captures(prelude, c.pattern);
    EXPECT_FALSE(values.empty()) << c.what << " not found in prelude.ps1";
    for (const auto& value : values) EXPECT_EQ(value, c.expected) << c.what;
  }
  // Every bin or log name a template spells is one of the program's.
  const std::string binName(kBinFolderName), logName(kHistoryLogName);
  std::vector<std::string> names;
  for (const char* script : {"restore_window.ps1"}) {
    const std::string text = ScriptSource(script);
    ASSERT_FALSE(text.empty()) << script;
    for (auto& name : Captures(text, "'(Vantor_Sweep[^']*)'")) names.push_back(name);
  }
  EXPECT_NE(std::find(names.begin(), names.end(), logName), names.end());
  for (const auto& name : names) EXPECT_TRUE(name == binName || name == logName) << name;
}

}  // namespace
}  // namespace vantor
