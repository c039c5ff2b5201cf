// Command lines for started programs: on Windows the tool joins the arguments into one line, and
// the started program's C runtime splits it again; every argument must come back unchanged.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/argument_quoting.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/system_platform.h"
#include "temp_folder.h"

namespace vsm {
namespace {

TEST(QuoteArgument, LeavesPlainArgumentsAlone) {
  EXPECT_EQ(QuoteArgument("a.vrk"), "a.vrk");
  // Backslashes mean nothing special unless a quote follows them.
  EXPECT_EQ(QuoteArgument("C:\\lists\\a.vrk"), "C:\\lists\\a.vrk");
  EXPECT_EQ(QuoteArgument("C:\\lists\\"), "C:\\lists\\");
}

TEST(QuoteArgument, QuotesBlanksQuotesAndTheEmptyArgument) {
  EXPECT_EQ(QuoteArgument(""), "\"\"");
  EXPECT_EQ(QuoteArgument("my lists\\a.vrk"), "\"my lists\\a.vrk\"");
  EXPECT_EQ(QuoteArgument("tab\there"), "\"tab\there\"");
  EXPECT_EQ(QuoteArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
  // Inside quotes, a run of backslashes before a quote (also the closing one) is doubled.
  EXPECT_EQ(QuoteArgument("my lists\\"), "\"my lists\\\\\"");
  EXPECT_EQ(QuoteArgument("a\\\\\"b"), "\"a\\\\\\\\\\\"b\"");
}

TEST(BuildCommandLine, JoinsProgramAndArgumentsByOneBlank) {
  EXPECT_EQ(BuildCommandLine("C:\\Program Files\\vrk2mvt.exe", {"a.vrk", "VrkWork\\a b.txt"}),
            "\"C:\\Program Files\\vrk2mvt.exe\" a.vrk \"VrkWork\\a b.txt\"");
}

// A program that parses options would take a name that starts with "-" for one.
TEST(AsProgramArgument, GivesANameThatLooksLikeAnOptionFromTheCurrentFolder) {
  EXPECT_EQ(AsProgramArgument("-o.vrk"), std::string(".") + kFolderSeparator + "-o.vrk");
  EXPECT_EQ(AsProgramArgument("--help"), std::string(".") + kFolderSeparator + "--help");
  for (const char* name : {"o.vrk", "a-o.vrk", "./-o.vrk", "/lists/-o.vrk", ""}) {
    EXPECT_EQ(AsProgramArgument(name), name);
  }
}

// The arguments that a started program received, as print_arguments wrote them.
std::vector<std::string> ReceivedArguments(const std::vector<std::string>& arguments) {
  const test_support::TempFolder folder;
  const std::string record = folder / "arguments.bin";
  std::vector<std::string> passed{record};
  passed.insert(passed.end(), arguments.begin(), arguments.end());
  const auto process =
      StartSystemProcess(ExecutableFolder() + "print_arguments" + kExecutableSuffix, passed);
  if (!process) {
    ADD_FAILURE() << "cannot start print_arguments: " << process.error();
    return {};
  }
  EXPECT_TRUE((*process)->WaitFor(std::chrono::seconds(60)));
  EXPECT_EQ((*process)->ExitCode(), 0);
  std::vector<std::string> received;
  const std::string content = ReadWholeFile(record).value_or("");
  for (std::size_t start = 0, end = 0; (end = content.find('\0', start)) != std::string::npos;
       start = end + 1) {
    received.push_back(content.substr(start, end - start));
  }
  return received;
}

TEST(StartSystemProcess, EveryArgumentArrivesIntact) {
  const std::vector<std::string> arguments{
      "plain",
      "",
      "with blank",
      " leading and trailing blanks ",
      "tab\tinside",
      "say \"hi\"",
      "\"",
      "ends in quote\"",
      "C:\\folder with blank\\",
      "C:\\plain folder\\\\",
      "\\\\server\\share\\",
      "back\\\\\"quote",
      "back\\slashes\\ inside",
      "8-bit \xE9t\xE9 13\260E",
      "list [1].vrk",
  };
  EXPECT_EQ(ReceivedArguments(arguments), arguments);
}

}  // namespace
}  // namespace vsm
