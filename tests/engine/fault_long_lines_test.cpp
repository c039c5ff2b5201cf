// Lines of several megabytes and files full of NUL bytes load without harm, keep what they hold,
// and take memory in proportion to the file.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "format/reader.h"
#include "split/save_driver.h"
#include "workspace_fixture.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vsm {
namespace {

using namespace test_support;

constexpr std::size_t kMegabyte = 1 << 20;

class LongLinesTest : public WorkspaceTest {
 protected:
  bool SaveAs(std::string_view name) { return SaveList(workspace, Path(name)); }
};

TEST_F(LongLinesTest, LinesOfSeveralMegabytesAreKeptWhole) {
  const std::string network(5 * kMegabyte, 'n');
  const std::string service_name(3 * kMegabyte, 's');
  const std::string antenna_name(2 * kMegabyte, 'a');
  WriteList("long.txt", CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", AntennaLine(antenna_name), "[TS]",
                              TransponderLine(0), "[NETWORK]", network, "[PROVIDER]", "p",
                              "[FAVORITE]", "[SERVICE]",
                              ServiceLine("V", 0, 0, service_name, 1,
                                          {.values = "1\t2\t3\t4\t5\t1", .flag8 = "FALSE"}),
                              "[MENU]", std::string(kMegabyte, '\t')}));
  ASSERT_TRUE(Load("long.txt"));
  ASSERT_EQ(workspace.main_set.networks.size(), 1u);
  EXPECT_EQ(workspace.main_set.networks[0].text, network);
  ASSERT_EQ(workspace.main_set.tv_services.size(), 1u);
  EXPECT_EQ(workspace.main_set.tv_services[0].name(), service_name);
  EXPECT_EQ(workspace.main_set.antennas[0].name, antenna_name);
  // Saved and loaded again, the long texts come back unchanged.
  ASSERT_TRUE(SaveAs("again.txt"));
  ASSERT_TRUE(Load("again.txt"));
  EXPECT_EQ(workspace.main_set.networks[0].text, network);
  EXPECT_EQ(workspace.main_set.tv_services[0].name(), service_name);
}

TEST_F(LongLinesTest, NulBytesEndLinesAndNeverStopTheReader) {
  std::string text = CrLf({"[MORVANE V3 FILE]", "[NETWORK]"});
  text += std::string("one\0two", 7) + "\r\n";
  text += std::string(100000, '\0');
  text += CrLf({"[PROVIDER]", "p", "[MENU]", "last"});
  // Not "nul.txt": that names the null device on Windows.
  WriteList("nul_bytes.txt", text);
  ASSERT_TRUE(Load("nul_bytes.txt"));
  // "one", "two", then one empty line per NUL byte (the first one ends "two"'s CR LF line).
  ASSERT_EQ(workspace.main_set.networks.size(), 2u + 100000u);
  EXPECT_EQ(workspace.main_set.networks[0].text, "one");
  EXPECT_EQ(workspace.main_set.networks[1].text, "two");
  ASSERT_EQ(workspace.main_set.menus.size(), 1u);
  EXPECT_EQ(workspace.main_set.menus[0].text, "last");

  // A file of nothing but NUL bytes is no list, and says so.
  WriteList("zeros.txt", std::string(kMegabyte, '\0'));
  platform.messages.clear();
  EXPECT_FALSE(Load("zeros.txt"));
  ASSERT_EQ(platform.messages.size(), 1u);
}

// The allocator of a sanitized build keeps freed memory and pads every block: nothing to measure.
#if defined(__SANITIZE_ADDRESS__)
#define VSM_MEASURES_MEMORY 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VSM_MEASURES_MEMORY 0
#endif
#endif
#ifndef VSM_MEASURES_MEMORY
#define VSM_MEASURES_MEMORY 1
#endif

#if !defined(_WIN32) && VSM_MEASURES_MEMORY
// The peak memory, in bytes, that loading `file` adds to a fresh child process.
long PeakMemoryOfLoading(Workspace& workspace, const std::string& file) {
  const pid_t child = fork();
  if (child == 0) {
    // Resets the peak to the present size, then loads and reports how far the peak rose.
    std::ofstream("/proc/self/clear_refs") << "5";
    auto kilobytes = [](const char* field) {
      std::ifstream status("/proc/self/status");
      std::string key;
      long value = 0;
      while (status >> key) {
        if (key == field) {
          status >> value;
          return value;
        }
      }
      return -1L;
    };
    const long before = kilobytes("VmRSS:");
    LoadList(workspace, file);
    const long rise_kb = kilobytes("VmHWM:") - before;
    std::ofstream(file + ".peak") << rise_kb;
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return std::stol(ReadFile(file + ".peak")) * 1024;
}

TEST_F(LongLinesTest, MemoryGrowsInProportionToTheFile) {
  // Long lines cost about their length; every short line is a record, which costs a record's
  // size whatever the line holds, so a file of NUL bytes costs a fixed amount per byte.
  const std::string header = CrLf({"[MORVANE V3 FILE]", "[NETWORK]"});
  const std::string long_line = header + std::string(16 * kMegabyte, 'n');
  const std::string nul_lines = header + std::string(kMegabyte, '\0');
  const std::string twice_nul_lines = header + std::string(2 * kMegabyte, '\0');
  const long long_line_peak = PeakMemoryOfLoading(workspace, WriteList("l.txt", long_line));
  const long nul_peak = PeakMemoryOfLoading(workspace, WriteList("n1.txt", nul_lines));
  const long twice_nul_peak = PeakMemoryOfLoading(workspace, WriteList("n2.txt", twice_nul_lines));
  RecordProperty("long_line_peak_bytes", std::to_string(long_line_peak));
  RecordProperty("nul_peak_bytes", std::to_string(nul_peak));
  EXPECT_LT(long_line_peak, 4 * static_cast<long>(long_line.size()));
  // A network record holds its text and position: well under 200 bytes each.
  EXPECT_LT(nul_peak, 200 * static_cast<long>(kMegabyte));
  EXPECT_LT(twice_nul_peak, nul_peak * 5 / 2);
}
#endif

}  // namespace
}  // namespace vsm
