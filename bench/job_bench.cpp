// The user's whole job with the real programs: three .vrk lists the size of a full motorised-dish
// list loaded and merged, saved as .vrk, split per provider keeping the providers' names and per
// satellite position with free-to-air apart, each generated script run again. Every step is a
// run of the tool's console face (`--run`) with the converters beside it, started as a user
// starts it. Its floor is what the job cannot go below: the one-second wait before each split
// script and one start of a converter per file converted, measured in the same run by starting
// each converter on an empty list as many times. Run a Release build: `make bench`.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "generator/list_generator.h"
#include "platform/system_platform.h"
#include "process_stats.h"

namespace vsm {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct JobOptions {
  int services = 15000;  // per list
  int repeat = 1;
  fs::path folder = fs::temp_directory_path();
  fs::path programs;  // the tool and its converters; default: beside this program
};

void PrintUsage() {
  std::puts(
      "usage: job_bench [--services N] [--repeat R] [--folder DIR] [--programs DIR]\n"
      "  --services  services per list, three lists (default 15000)\n"
      "  --repeat    runs; each figure is the median of the runs (default 1)\n"
      "  --folder    where the temporary start folders are made (default: the system's temp)\n"
      "  --programs  the folder of vrk-split-merge, vrk2mvt and mvt2vrk (default: beside\n"
      "              job_bench)");
}

JobOptions ParseCommandLine(int argc, char** argv) {
  JobOptions options;
  options.programs = fs::canonical("/proc/self/exe").parent_path();
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool has_value = i + 1 < argc;
    if (argument == "--services" && has_value) {
      options.services = std::max(0, std::stoi(argv[++i]));
    } else if (argument == "--repeat" && has_value) {
      options.repeat = std::max(1, std::stoi(argv[++i]));
    } else if (argument == "--folder" && has_value) {
      options.folder = argv[++i];
    } else if (argument == "--programs" && has_value) {
      options.programs = argv[++i];
    } else {
      PrintUsage();
      std::exit(argument == "--help" ? 0 : 2);
    }
  }
  return options;
}

// ----- Programs -----

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs `program` of the programs' folder to its end, as the tool starts its converters; its wall
// time in seconds. Throws when it cannot be started or fails.
double RunProgram(const JobOptions& options, const std::string& program,
                  const std::vector<std::string>& arguments) {
  const auto start = Clock::now();
  auto process = StartSystemProcess((options.programs / program).string(), arguments);
  if (!process) throw std::runtime_error(program + " could not be started: " + process.error());
  while (!(*process)->WaitFor(std::chrono::hours(1))) {
  }
  const double seconds = SecondsSince(start);
  if ((*process)->ExitCode() != 0) {
    throw std::runtime_error(program + " failed (" + (*process)->EndText() +
                             "): " + (*process)->ErrorOutput());
  }
  return seconds;
}

// ----- The job -----

// What a step of the job does besides its own work: the waits it is prescribed and the files it
// converts each way.
struct Floor {
  int waits = 0;            // seconds before split scripts
  std::size_t to_text = 0;  // vrk2mvt starts
  std::size_t to_vrk = 0;   // mvt2vrk starts
};

struct Step {
  std::string name;
  std::string script;  // run with --run
  double seconds = 0;
  Floor floor;
};

constexpr const char* kScriptHeader = "[VRK_SPLIT_MERGE]\r\n";

class JobRun {
 public:
  JobRun(const JobOptions& options) : options_(options) {
    start_folder_ = options.folder / ("vsm-job-" + std::to_string(options.services) + "-" +
                                      std::to_string(Clock::now().time_since_epoch().count()));
    fs::create_directories(start_folder_);
    // Three lists over the 32 satellites, each starting at another one, so that the merge
    // matches antennas by name; as .vrk files, made by the converter the job uses.
    const ListGeneratorOptions lists[] = {
        {options.services, 32, 0, 1}, {options.services, 32, 8, 2}, {options.services, 32, 16, 3}};
    for (std::size_t i = 0; i < std::size(lists); ++i) {
      const std::string name = "list" + std::to_string(i + 1);
      WriteFile(name + ".txt", GenerateChannelListText(lists[i]));
      RunProgram(options, "mvt2vrk", {Path(name + ".txt"), Path(name + ".vrk")});
      fs::remove(start_folder_ / (name + ".txt"));
    }
  }
  ~JobRun() {
    std::error_code ignored;
    fs::remove_all(start_folder_, ignored);
  }

  std::vector<Step> Run() {
    std::vector<Step> steps;
    WriteFile("by-names.txt", std::string(kScriptHeader) +
                                  "load list1.vrk\r\nmerge list2.vrk\r\nmerge list3.vrk\r\n"
                                  "save merged.vrk\r\nsplit_into_providers true\r\n"
                                  "keep_existing_names true\r\nsplit\r\n");
    steps.push_back(RunStep("load 3 lists, save .vrk, split keeping names", "by-names.txt"));
    steps.back().floor = {1, 3, 1 + Pieces()};
    steps.push_back(RunStep("  its script run again", "provider_list.txt"));
    steps.back().floor = {0, Pieces(), 1};

    WriteFile("by-positions.txt", std::string(kScriptHeader) +
                                      "load merged.vrk\r\nsplit_into_providers true\r\n"
                                      "use_satellite_position true\r\n"
                                      "divide_fta_notfta true\r\nsplit\r\n");
    steps.push_back(RunStep("load it, split per position, FTA apart", "by-positions.txt"));
    steps.back().floor = {1, 1, Pieces()};
    steps.push_back(RunStep("  its script run again", "provider_list.txt"));
    steps.back().floor = {0, Pieces(), 1};
    return steps;
  }

  // Seconds of `starts` starts of `converter` on an empty list, one after the other.
  double ConverterStarts(const std::string& converter, std::size_t starts) {
    WriteFile("empty.txt", "[MORVANE V3 FILE]\r\n");
    RunProgram(options_, "mvt2vrk", {Path("empty.txt"), Path("empty.vrk")});
    const bool to_text = converter == "vrk2mvt";
    const std::string source = Path(to_text ? "empty.vrk" : "empty.txt");
    const std::string target = Path(to_text ? "out.txt" : "out.vrk");
    double seconds = 0;
    for (std::size_t i = 0; i < starts; ++i)
      seconds += RunProgram(options_, converter, {source, target});
    return seconds;
  }

 private:
  std::string Path(const std::string& name) const { return (start_folder_ / name).string(); }

  void WriteFile(const std::string& name, const std::string& text) const {
    std::ofstream(start_folder_ / name, std::ios::binary) << text;
  }

  Step RunStep(const std::string& name, const std::string& script) {
    const auto start = Clock::now();
    RunProgram(options_, "vrk-split-merge", {"--folder", start_folder_.string(), "--run", script});
    return {name, script, SecondsSince(start), {}};
  }

  // The pieces that the last split's script names, each of them in place.
  std::size_t Pieces() const {
    std::ifstream script(start_folder_ / "provider_list.txt", std::ios::binary);
    std::size_t pieces = 0;
    for (std::string line; std::getline(script, line);) {
      if (!line.starts_with("load ") && !line.starts_with("merge ")) continue;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const fs::path piece = line.substr(line.find(' ') + 1);
      if (!fs::exists(piece)) throw std::runtime_error("missing piece " + piece.string());
      ++pieces;
    }
    return pieces;
  }

  JobOptions options_;
  fs::path start_folder_;
};

// ----- Report -----

struct Figures {
  std::vector<Step> steps;
  double to_text_start = 0;  // seconds per converter start on an empty list
  double to_vrk_start = 0;

  double FloorOf(const Step& step) const {
    return step.floor.waits + static_cast<double>(step.floor.to_text) * to_text_start +
           static_cast<double>(step.floor.to_vrk) * to_vrk_start;
  }
};

Figures MeasureOnce(const JobOptions& options) {
  JobRun run(options);
  Figures figures;
  figures.steps = run.Run();
  std::size_t to_text = 0, to_vrk = 0;
  for (const Step& step : figures.steps) {
    to_text += step.floor.to_text;
    to_vrk += step.floor.to_vrk;
  }
  figures.to_text_start = run.ConverterStarts("vrk2mvt", to_text) / static_cast<double>(to_text);
  figures.to_vrk_start = run.ConverterStarts("mvt2vrk", to_vrk) / static_cast<double>(to_vrk);
  return figures;
}

// Each time is the median of the runs.
Figures Combine(const std::vector<Figures>& runs) {
  Figures combined = runs.front();
  auto median_of = [&](auto seconds_of) {
    std::vector<double> values;
    for (const Figures& run : runs) values.push_back(seconds_of(run));
    return Median(values);
  };
  for (std::size_t s = 0; s < combined.steps.size(); ++s) {
    combined.steps[s].seconds = median_of([s](const Figures& run) { return run.steps[s].seconds; });
  }
  combined.to_text_start = median_of([](const Figures& run) { return run.to_text_start; });
  combined.to_vrk_start = median_of([](const Figures& run) { return run.to_vrk_start; });
  return combined;
}

void PrintFigures(const JobOptions& options, const Figures& figures) {
  std::printf(
      "The user's job: 3 lists of %d services as .vrk, programs of %s, %d run(s), medians\n",
      options.services, options.programs.string().c_str(), options.repeat);
  std::printf("%-46s %8s %7s %8s %8s %8s %7s\n", "step", "wall s", "waits", "vrk2mvt", "mvt2vrk",
              "floor s", "ratio");
  double wall = 0, floor = 0;
  for (const Step& step : figures.steps) {
    const double step_floor = figures.FloorOf(step);
    std::printf("%-46s %8.2f %7d %8zu %8zu %8.2f %7.2f\n", step.name.c_str(), step.seconds,
                step.floor.waits, step.floor.to_text, step.floor.to_vrk, step_floor,
                step.seconds / step_floor);
    wall += step.seconds;
    floor += step_floor;
  }
  const double ratio = wall / floor;
  std::printf("%-46s %8.2f %7s %8s %8s %8.2f %7.2f\n", "the whole job", wall, "", "", "", floor,
              ratio);
  std::printf("a converter started on an empty list: vrk2mvt %.2f ms, mvt2vrk %.2f ms\n",
              figures.to_text_start * 1e3, figures.to_vrk_start * 1e3);
  std::printf("target: the whole job within 2x its floor: %s\n", ratio <= 2 ? "met" : "MISSED");
}

int Main(int argc, char** argv) {
  const JobOptions options = ParseCommandLine(argc, argv);
  std::vector<Figures> runs;
  for (int r = 0; r < options.repeat; ++r) runs.push_back(MeasureOnce(options));
  PrintFigures(options, Combine(runs));
  return 0;
}

}  // namespace
}  // namespace vsm

int main(int argc, char** argv) {
  try {
    return vsm::Main(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "job_bench: %s\n", error.what());
    return 1;
  }
}
