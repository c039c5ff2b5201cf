// The whole pipeline on generated lists, in one process and through the engine's own entries:
// load a text form, merge two further lists, save as text, split per antenna, split per provider
// named after the satellite position and divided into free-to-air and scrambled. Each phase is
// measured (wall time, bytes read and written, peak resident memory) and compared with a copy
// floor: the same input files read and the same output bytes written, line by line, through the
// same file calls. A second part loads and splits a hostile shape: a list of nothing but empty
// antenna lines (each one an antenna named "Unknown"), whose time must grow with its size and
// whose records must stay small. Run a Release build: `make bench`.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "format/reader.h"
#include "format/text_lines.h"
#include "generator/list_generator.h"
#include "merge/merge_driver.h"
#include "platform/atomic_file.h"
#include "platform/files.h"
#include "platform/null_platform.h"
#include "process_stats.h"
#include "split/sat_position_table.h"
#include "split/save_driver.h"
#include "split/split_per_antenna.h"
#include "split/split_per_provider.h"

namespace vsm {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A load of a channel list as the tool's load makes it (a list, never a script).
bool LoadList(Workspace& workspace, const std::string& file) {
  BeginLoad(workspace, file);
  return workspace.Report(ReadListFile(workspace, file));
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Megabytes(std::uint64_t bytes) { return static_cast<double>(bytes) / 1e6; }

// ----- Command line -----

struct BenchOptions {
  std::vector<int> sizes{10000, 50000, 200000};
  std::vector<int> antennas{100000, 1000000};
  int repeat = 1;
  bool own_names = false;  // also split per provider keeping the list's own provider names
  fs::path folder = fs::temp_directory_path();
};

std::vector<int> ParseSizes(const std::string& text) {
  std::vector<int> sizes;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    sizes.push_back(std::stoi(text.substr(start, comma - start)));
    start = comma + 1;
  }
  return sizes;
}

void PrintUsage() {
  std::puts(
      "usage: pipeline_bench [--sizes N,N,...] [--antennas N,N,...] [--repeat R] [--own-names]\n"
      "                      [--folder DIR]\n"
      "  --sizes      services per generated list (default 10000,50000,200000)\n"
      "  --antennas   empty antenna lines of the hostile list (default 100000,1000000; 0: none)\n"
      "  --repeat     runs per size; each figure is the median of the runs (default 1)\n"
      "  --own-names  add a split per provider that keeps the lists' provider names (one piece\n"
      "               per provider, each holding every transponder: output grows with the square\n"
      "               of the size)\n"
      "  --folder     where the temporary start folders are made (default: the system's temp)");
}

BenchOptions ParseCommandLine(int argc, char** argv) {
  BenchOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool has_value = i + 1 < argc;
    if (argument == "--sizes" && has_value) {
      options.sizes = ParseSizes(argv[++i]);
    } else if (argument == "--antennas" && has_value) {
      options.antennas = ParseSizes(argv[++i]);
      std::erase(options.antennas, 0);
    } else if (argument == "--repeat" && has_value) {
      options.repeat = std::max(1, std::stoi(argv[++i]));
    } else if (argument == "--own-names") {
      options.own_names = true;
    } else if (argument == "--folder" && has_value) {
      options.folder = argv[++i];
    } else {
      PrintUsage();
      std::exit(argument == "--help" ? 0 : 2);
    }
  }
  return options;
}

// ----- The files a phase writes -----

// Every file below the start folder with its size and time of last change; the generated lists
// and the floor's own files are left out.
using Snapshot = std::map<fs::path, std::pair<std::uintmax_t, fs::file_time_type>>;

Snapshot TakeSnapshot(const fs::path& start_folder) {
  Snapshot snapshot;
  for (auto it = fs::recursive_directory_iterator(start_folder);
       it != fs::recursive_directory_iterator(); ++it) {
    const fs::path name = it->path().filename();
    if (it->is_directory() && (name == "lists" || name == "floor")) {
      it.disable_recursion_pending();
    } else if (it->is_regular_file()) {
      snapshot[it->path()] = {it->file_size(), it->last_write_time()};
    }
  }
  return snapshot;
}

std::vector<fs::path> ChangedFiles(const Snapshot& before, const Snapshot& after) {
  std::vector<fs::path> changed;
  for (const auto& [path, state] : after) {
    const auto old = before.find(path);
    if (old == before.end() || old->second != state) changed.push_back(path);
  }
  return changed;
}

// ----- The copy floor -----

// A file the floor writes again: its bytes and whether the engine flushed it to the device.
struct FloorOutput {
  std::string content;
  AtomicFileWriter::Durability durability;
};

// Reads each input as the reader does, the whole file and then line by line, and hands every line
// to `visit`, which returns a number that keeps the work from being optimised away.
template <class Visit>
void ReadInputLines(const std::vector<std::string>& inputs, Visit visit) {
  std::uint64_t checksum = 0;
  for (const std::string& input : inputs) {
    const auto text = ReadWholeFile(input);
    if (!text) throw std::runtime_error("floor cannot read " + input);
    LineCursor cursor(*text);
    for (std::string_view line; cursor.Next(line);) checksum += visit(line);
  }
  volatile std::uint64_t kept = checksum;
  static_cast<void>(kept);
}

// Reads each input (see ReadInputLines) and writes each output line by line through the tool's
// file writer; returns the time that took.
double CopyFloor(const std::vector<std::string>& inputs, const std::vector<FloorOutput>& outputs,
                 const fs::path& floor_folder) {
  fs::create_directories(floor_folder);
  const auto start = Clock::now();
  ReadInputLines(inputs, [](std::string_view line) { return line.size(); });
  std::size_t number = 0;
  for (const FloorOutput& output : outputs) {
    AtomicFileWriter file((floor_folder / (std::to_string(number++) + ".txt")).string(),
                          output.durability, AtLink::replace, /*journal=*/nullptr);
    LineCursor cursor(output.content);
    for (std::string_view line; cursor.Next(line);) file.WriteLine(line);
    if (!file.Commit()) throw std::runtime_error("floor cannot write: " + file.error());
  }
  const double seconds = SecondsSince(start);
  fs::remove_all(floor_folder);
  return seconds;
}

// What cutting the inputs into columns costs by itself: each input read, every line cut into its
// columns and every column read as a number, as the reader does, with no record made.
double ColumnsFloor(const std::vector<std::string>& inputs) {
  const auto start = Clock::now();
  ReadInputLines(inputs, [](std::string_view line) {
    ColumnReader columns(line);
    std::uint32_t sum = 0;
    for (std::size_t column = 0; column < Columns::kMaxColumns; ++column) {
      sum += static_cast<std::uint32_t>(columns.Long());
    }
    return sum;
  });
  return SecondsSince(start);
}

// ----- Phases -----

struct PhaseFigures {
  std::string name;
  double seconds = 0;
  double processor_seconds = 0;   // user and system time of the process
  std::uint64_t page_faults = 0;  // pages touched for the first time
  double floor_seconds = 0;
  double columns_seconds = 0;  // the inputs cut into columns, nothing made (see ColumnsFloor)
  std::uint64_t bytes_read = 0;
  std::uint64_t bytes_written = 0;
  std::uint64_t peak_memory = 0;
  std::uint64_t lists_in_memory = 0;  // bytes of the list texts held in the sets
  std::size_t files_written = 0;
  std::chrono::milliseconds slept{0};
  std::size_t conversions_not_run = 0;

  double Ratio() const { return floor_seconds > 0 ? seconds / floor_seconds : 0; }
  double Throughput() const {
    return seconds > 0 ? Megabytes(bytes_read + bytes_written) / seconds : 0;
  }
  std::uint64_t MemoryLimit() const { return 10 * lists_in_memory + 30'000'000; }
};

struct Phase {
  std::string name;
  std::vector<std::string> inputs;  // the files it reads, for the floor
  std::uint64_t lists_in_memory;
  std::function<bool()> run;
  std::string durable_target;  // an output that the engine flushes to the device
  bool reads_lists = false;    // its inputs are channel lists (see ColumnsFloor)
};

class PipelineRun {
 public:
  PipelineRun(const fs::path& parent, int services) : services_(services) {
    start_folder_ = parent / ("vsm-bench-" + std::to_string(services) + "-" +
                              std::to_string(Clock::now().time_since_epoch().count()));
    for (const char* folder : {"VrkWork", "VrkKeep", "VrkResult", "lists"}) {
      fs::create_directories(start_folder_ / folder);
    }
    // Three lists of the same size over the 32 satellites, each starting at another one, so
    // that the merge matches antennas by name and reuses their transponders.
    WriteList("a.txt", {services, 32, 0, 1});
    WriteList("b.txt", {services, 32, 8, 2});
    WriteList("c.txt", {services, 32, 16, 3});
  }
  ~PipelineRun() {
    std::error_code ignored;
    fs::remove_all(start_folder_, ignored);
  }

  std::vector<PhaseFigures> Run(bool own_names) {
    NullPlatform platform;
    Workspace workspace(platform, start_folder_.string());
    EnsureSatPositionFile(workspace);  // as at start-up

    const std::uint64_t one = ListBytes("a.txt");
    const std::uint64_t all = one + ListBytes("b.txt") + ListBytes("c.txt");
    std::vector<Phase> phases;
    phases.push_back({"load",
                      {List("a.txt")},
                      one,
                      [&] { return LoadList(workspace, List("a.txt")); },
                      "",
                      true});
    phases.push_back({"merge 2 lists",
                      {List("b.txt"), List("c.txt")},
                      all,
                      [&] {
                        if (!workspace.Report(MergeThisFile(workspace, List("b.txt"))))
                          return false;
                        return workspace.Report(MergeThisFile(workspace, List("c.txt")));
                      },
                      "",
                      true});
    const std::string saved = (start_folder_ / "saved.txt").string();
    phases.push_back(
        {"save .txt",
         {},
         all,
         [&] { return workspace.Report(SaveThisFile(workspace, saved, Button::save)); },
         saved});
    phases.push_back({"split/antenna",
                      {},
                      all,
                      [&] {
                        SplitPerAntenna(workspace, Button::split);
                        return true;
                      },
                      ""});
    const std::string table = workspace.settings.KeepPath(kSatPositionFileName);
    phases.push_back({"split/provider",
                      {table},
                      all,
                      [&] {
                        workspace.options.split_into_providers = true;
                        workspace.options.naming = Naming::use_satellite_position;
                        workspace.options.divide_fta_notfta = true;
                        SplitPerProvider(workspace, Button::split);
                        return true;
                      },
                      ""});
    if (own_names) {
      phases.push_back({"split/own names",
                        {},
                        all,
                        [&] {
                          workspace.options.naming = Naming::keep_existing_names;
                          workspace.options.divide_fta_notfta = false;
                          SplitPerProvider(workspace, Button::split);
                          return true;
                        },
                        ""});
    }

    std::vector<PhaseFigures> figures;
    for (const Phase& phase : phases) figures.push_back(Measure(phase, platform));
    main_services_ =
        workspace.main_set.tv_services.size() + workspace.main_set.radio_services.size();
    transponders_ = workspace.main_set.transponders.size();
    providers_ = workspace.main_set.providers.size();
    return figures;
  }

  std::size_t main_services() const { return main_services_; }
  std::size_t transponders() const { return transponders_; }
  std::size_t providers() const { return providers_; }

 private:
  void WriteList(const char* name, const ListGeneratorOptions& options) {
    std::ofstream(start_folder_ / "lists" / name, std::ios::binary)
        << GenerateChannelListText(options);
  }
  std::string List(const char* name) const { return (start_folder_ / "lists" / name).string(); }
  std::uint64_t ListBytes(const char* name) const {
    return static_cast<std::uint64_t>(fs::file_size(start_folder_ / "lists" / name));
  }

  PhaseFigures Measure(const Phase& phase, const NullPlatform& platform) {
    PhaseFigures figures;
    figures.name = phase.name;
    figures.lists_in_memory = phase.lists_in_memory;
    ReleaseFreeMemory();
    const Snapshot before = TakeSnapshot(start_folder_);
    const auto slept = platform.slept();
    const auto programs = platform.programs_refused();
    ResetPeakResidentMemory();
    const auto io_before = ReadIoCounters();
    const double processor_before = ProcessorSeconds();
    const std::uint64_t faults_before = PageFaults();
    const auto start = Clock::now();
    const bool done = phase.run();
    figures.seconds = SecondsSince(start);
    figures.processor_seconds = ProcessorSeconds() - processor_before;
    figures.page_faults = PageFaults() - faults_before;
    const auto io_after = ReadIoCounters();
    figures.peak_memory = PeakResidentMemory();
    if (!done) throw std::runtime_error(phase.name + " failed");
    if (io_before && io_after) {
      figures.bytes_read = io_after->read - io_before->read;
      figures.bytes_written = io_after->written - io_before->written;
    }
    figures.slept = platform.slept() - slept;
    figures.conversions_not_run = platform.programs_refused() - programs;

    std::vector<FloorOutput> outputs;
    for (const fs::path& file : ChangedFiles(before, TakeSnapshot(start_folder_))) {
      const bool durable = file.string() == phase.durable_target;
      outputs.push_back(
          {ReadWholeFile(file.string()).value_or(""),
           durable ? AtomicFileWriter::Durability::disk : AtomicFileWriter::Durability::cache});
    }
    figures.files_written = outputs.size();
    figures.floor_seconds = CopyFloor(phase.inputs, outputs, start_folder_ / "floor");
    if (phase.reads_lists) figures.columns_seconds = ColumnsFloor(phase.inputs);
    return figures;
  }

  fs::path start_folder_;
  int services_;
  std::size_t main_services_ = 0;
  std::size_t transponders_ = 0;
  std::size_t providers_ = 0;
};

// ----- Several runs of one size -----

// Times are the medians of the runs, memory the highest peak.
std::vector<PhaseFigures> Combine(const std::vector<std::vector<PhaseFigures>>& runs) {
  std::vector<PhaseFigures> combined = runs.front();
  for (std::size_t p = 0; p < combined.size(); ++p) {
    std::vector<double> seconds, processor, floors, columns;
    for (const auto& run : runs) {
      seconds.push_back(run[p].seconds);
      processor.push_back(run[p].processor_seconds);
      floors.push_back(run[p].floor_seconds);
      columns.push_back(run[p].columns_seconds);
      combined[p].peak_memory = std::max(combined[p].peak_memory, run[p].peak_memory);
    }
    combined[p].seconds = Median(seconds);
    combined[p].processor_seconds = Median(processor);
    combined[p].floor_seconds = Median(floors);
    combined[p].columns_seconds = Median(columns);
  }
  return combined;
}

// ----- Report -----

std::string CpuModel() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
  }
  return "unknown";
}

void PrintHeader(const BenchOptions& options) {
  std::printf("vrk-split-merge pipeline benchmark\n");
  std::printf("machine: %u processors, %s\n", std::thread::hardware_concurrency(),
              CpuModel().c_str());
  std::printf("runs per size: %d (times are medians)\n", options.repeat);
  std::printf(
      "Conversions are excluded: the benchmark's platform starts no converter (they are separate\n"
      "processes); the conversions the engine asked for are counted under 'conv'.\n"
      "The wait the tool makes before writing a split script is not slept; it is shown under\n"
      "'sleep s' and is not part of 'wall ms'.\n"
      "floor: the phase's input files read (whole file, then line by line) and its output bytes\n"
      "written line by line through the same file writer. MB = 10^6 bytes; MB/s = (read +\n"
      "written) / wall. cpu ms: the process's user and system time in the phase (the machine\n"
      "may be shared: wall time above it was spent waiting). faults k: thousands of pages the\n"
      "phase touched for the first time (minor page faults: memory the system had to find,\n"
      "clear and map). peak MB: the peak resident memory during the phase; limit MB = 10 x\n"
      "bytes of the lists held in memory + 30 MB.\n"
      "cols ms: for phases that read lists, the same inputs read and every line cut into its\n"
      "columns, each read as a number, with nothing made; 'cols/floor' is that time over the\n"
      "floor: the part of 'ratio' that reading the columns alone takes (not a target).\n");
}

void PrintTable(int services, const PipelineRun& run, const std::vector<PhaseFigures>& figures) {
  std::printf(
      "\n%d services per list; after merging: %zu services, %zu transponders, %zu providers\n",
      services, run.main_services(), run.transponders(), run.providers());
  std::printf("%-16s %9s %8s %8s %8s %9s %6s %8s %8s %9s %9s %6s %7s %5s %8s %10s\n", "phase",
              "wall ms", "cpu ms", "faults k", "read MB", "write MB", "files", "MB/s", "peak MB",
              "limit MB", "floor ms", "ratio", "sleep s", "conv", "cols ms", "cols/floor");
  for (const PhaseFigures& f : figures) {
    std::printf("%-16s %9.1f %8.1f %8.1f %8.1f %9.1f %6zu %8.1f %8.1f %9.1f %9.1f %6.2f %7.1f %5zu",
                f.name.c_str(), f.seconds * 1e3, f.processor_seconds * 1e3,
                static_cast<double>(f.page_faults) / 1e3, Megabytes(f.bytes_read),
                Megabytes(f.bytes_written), f.files_written, f.Throughput(),
                Megabytes(f.peak_memory), Megabytes(f.MemoryLimit()), f.floor_seconds * 1e3,
                f.Ratio(), std::chrono::duration<double>(f.slept).count(), f.conversions_not_run);
    if (f.columns_seconds > 0 && f.floor_seconds > 0) {
      std::printf(" %8.1f %10.2f", f.columns_seconds * 1e3, f.columns_seconds / f.floor_seconds);
    }
    std::printf("\n");
  }
}

// The largest ratio to its floor that a phase may take at the largest size: reading lists makes
// records in new memory, which no copy of the bytes does, so load and merge have larger limits.
double RatioLimit(const std::string& phase) {
  if (phase == "load") return 4.0;
  if (phase == "merge 2 lists") return 7.0;
  return 3.0;
}

// The targets: each phase within its limit (RatioLimit) at the largest size, at most 4.5x the
// time from the size a quarter of it, and peak memory within its limit.
bool PrintTargets(const std::map<int, std::vector<PhaseFigures>>& results) {
  bool all_met = true;
  auto verdict = [&](bool met) {
    all_met = all_met && met;
    return met ? "met" : "MISSED";
  };
  std::printf("\ntargets\n");
  const int largest = results.rbegin()->first;
  for (const PhaseFigures& f : results.rbegin()->second) {
    const double limit = RatioLimit(f.name);
    std::printf("  %-16s at %d: %.2fx floor (<= %.0f)  %s\n", f.name.c_str(), largest, f.Ratio(),
                limit, verdict(f.Ratio() <= limit));
  }
  // 432 bytes a service of each list: 60 % of the 144 MB a merge took at 200,000 services before
  // the records were made compact.
  for (const PhaseFigures& f : results.rbegin()->second) {
    if (f.name != "merge 2 lists") continue;
    const double limit = 432e-6 * largest;
    std::printf("  %-16s at %d: peak %.1f MB (<= %.1f)  %s\n", f.name.c_str(), largest,
                Megabytes(f.peak_memory), limit, verdict(Megabytes(f.peak_memory) <= limit));
  }
  const auto quarter = results.find(largest / 4);
  if (quarter != results.end()) {
    for (std::size_t p = 0; p < quarter->second.size(); ++p) {
      const double growth = results.rbegin()->second[p].seconds / quarter->second[p].seconds;
      std::printf("  %-16s %d -> %d: time x %.2f (<= 4.5)  %s\n", quarter->second[p].name.c_str(),
                  quarter->first, largest, growth, verdict(growth <= 4.5));
    }
  }
  bool memory_met = true;
  for (const auto& [services, figures] : results) {
    for (const PhaseFigures& f : figures) {
      if (f.peak_memory <= f.MemoryLimit()) continue;
      memory_met = false;
      std::printf("  %-16s at %d: peak %.1f MB over its limit %.1f MB  %s\n", f.name.c_str(),
                  services, Megabytes(f.peak_memory), Megabytes(f.MemoryLimit()), verdict(false));
    }
  }
  if (memory_met) std::printf("  peak memory within its limit in every phase and size: met\n");
  return all_met;
}

// ----- Antennas without text -----

struct ShapeFigures {
  double load_seconds = 0;
  double split_seconds = 0;
  std::uint64_t load_peak = 0;
  std::uint64_t split_peak = 0;
};

// A list of `antennas` empty antenna lines, one transponder, one provider and one service on the
// first antenna: loaded, and split per antenna (one piece of all the antennas, the others none).
ShapeFigures RunEmptyAntennas(const fs::path& parent, int antennas) {
  const fs::path start_folder = parent / ("vsm-bench-antennas-" + std::to_string(antennas) + "-" +
                                          std::to_string(Clock::now().time_since_epoch().count()));
  for (const char* folder : {"VrkWork", "VrkKeep", "VrkResult"}) {
    fs::create_directories(start_folder / folder);
  }
  {
    std::ofstream list(start_folder / "empty.txt", std::ios::binary);
    list << "[MORVANE V3 FILE]\r\n[ANTENNA]\r\n";
    for (int i = 0; i < antennas; ++i) list << "\r\n";
    list << "[TS]\r\n0\t11778\t27500\t0\t0\t0\t0\t0\r\n[NETWORK]\r\n[PROVIDER]\r\nP\r\n"
            "[SERVICE]\r\nV\t0\t0\t0\t0\t0\t0\tFALSE\tFALSE\tFALSE\t0\t0\tTv\t1\r\n[MENU]\r\n";
  }
  ShapeFigures figures;
  {
    NullPlatform platform;
    Workspace workspace(platform, start_folder.string());
    ReleaseFreeMemory();
    ResetPeakResidentMemory();
    auto start = Clock::now();
    if (!LoadList(workspace, (start_folder / "empty.txt").string())) {
      throw std::runtime_error("the list of empty antennas did not load");
    }
    figures.load_seconds = SecondsSince(start);
    figures.load_peak = PeakResidentMemory();
    ResetPeakResidentMemory();
    start = Clock::now();
    SplitPerAntenna(workspace, Button::split);
    figures.split_seconds = SecondsSince(start);
    figures.split_peak = PeakResidentMemory();
  }
  std::error_code ignored;
  fs::remove_all(start_folder, ignored);
  return figures;
}

// The shape at each size, and whether the time grew at most in proportion (12x for 10x the
// antennas, room for the caches that a larger list outgrows).
bool PrintEmptyAntennas(const BenchOptions& options) {
  if (options.antennas.empty()) return true;
  std::printf(
      "\nA list of empty antenna lines (each an antenna named \"Unknown\"): load, then split per\n"
      "antenna; the split tries every antenna and writes one piece of all of them.\n");
  std::printf("%10s %10s %10s %12s %12s %12s\n", "antennas", "load ms", "load MB", "split ms",
              "split MB", "bytes/antenna");
  std::map<int, ShapeFigures> results;
  for (const int antennas : options.antennas) {
    std::vector<double> loads, splits;
    ShapeFigures combined;
    for (int r = 0; r < options.repeat; ++r) {
      const ShapeFigures run = RunEmptyAntennas(options.folder, antennas);
      loads.push_back(run.load_seconds);
      splits.push_back(run.split_seconds);
      combined.load_peak = std::max(combined.load_peak, run.load_peak);
      combined.split_peak = std::max(combined.split_peak, run.split_peak);
    }
    combined.load_seconds = Median(loads);
    combined.split_seconds = Median(splits);
    results[antennas] = combined;
    std::printf("%10d %10.1f %10.1f %12.1f %12.1f %12.1f\n", antennas, combined.load_seconds * 1e3,
                Megabytes(combined.load_peak), combined.split_seconds * 1e3,
                Megabytes(combined.split_peak),
                static_cast<double>(combined.load_peak) / static_cast<double>(antennas));
    std::fflush(stdout);
  }
  bool met = true;
  const auto& [smallest, small] = *results.begin();
  const auto& [largest, large] = *results.rbegin();
  if (largest > smallest) {
    const double allowed = 1.2 * largest / smallest;
    for (const auto& [name, from, to] :
         {std::tuple{"load", small.load_seconds, large.load_seconds},
          std::tuple{"split/antenna", small.split_seconds, large.split_seconds}}) {
      const double growth = to / from;
      met = met && growth <= allowed;
      std::printf("  %-16s %d -> %d antennas: time x %.2f (<= %.0f)  %s\n", name, smallest, largest,
                  growth, allowed, growth <= allowed ? "met" : "MISSED");
    }
  }
  return met;
}

int Main(int argc, char** argv) {
  const BenchOptions options = ParseCommandLine(argc, argv);
  PrintHeader(options);
  if (!ResetPeakResidentMemory()) {
    std::printf("note: the peak memory cannot be reset here; 'peak MB' is the process's peak\n");
  }
  std::map<int, std::vector<PhaseFigures>> results;
  for (const int services : options.sizes) {
    std::vector<std::vector<PhaseFigures>> runs;
    std::optional<PipelineRun> last;
    for (int r = 0; r < options.repeat; ++r) {
      last.reset();
      ReleaseFreeMemory();
      last.emplace(options.folder, services);
      runs.push_back(last->Run(options.own_names));
    }
    results[services] = Combine(runs);
    PrintTable(services, *last, results[services]);
    std::fflush(stdout);
  }
  PrintTargets(results);
  PrintEmptyAntennas(options);
  return 0;
}

}  // namespace
}  // namespace vsm

int main(int argc, char** argv) {
  try {
    return vsm::Main(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pipeline_bench: %s\n", error.what());
    return 1;
  }
}
