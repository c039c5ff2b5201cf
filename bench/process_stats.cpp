#include "process_stats.h"

#include <algorithm>
#include <fstream>
#include <string>

#ifdef __linux__
#include <malloc.h>
#endif
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace vsm {
namespace {

// The number after `key` in a "key: value" listing such as /proc/self/io.
std::optional<std::uint64_t> ReadCounter(const char* listing, std::string_view key) {
  std::ifstream in(listing);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, key.size(), key) == 0) {
      return std::stoull(line.substr(key.size()));
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<IoCounters> ReadIoCounters() {
  const auto read = ReadCounter("/proc/self/io", "rchar:");
  const auto written = ReadCounter("/proc/self/io", "wchar:");
  if (!read || !written) return std::nullopt;
  return IoCounters{*read, *written};
}

bool ResetPeakResidentMemory() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

std::uint64_t PeakResidentMemory() {
  if (const auto kilobytes = ReadCounter("/proc/self/status", "VmHWM:")) return *kilobytes * 1024;
#ifndef _WIN32
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) == 0)
    return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
#endif
  return 0;
}

std::uint64_t PageFaults() {
#ifndef _WIN32
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) == 0) return static_cast<std::uint64_t>(usage.ru_minflt);
#endif
  return 0;
}

double ProcessorSeconds() {
#ifndef _WIN32
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) == 0) {
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
  }
#endif
  return 0;
}

void ReleaseFreeMemory() {
#ifdef __linux__
  malloc_trim(0);
#endif
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace vsm
