// Merging a generated list into another of the same size: the whole MergeThisFile (reading the
// text form included) and the merge phases alone. Run a Release build.

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "format/reader.h"
#include "generator/list_generator.h"
#include "merge/merge_driver.h"
#include "merge/record_merge.h"
#include "platform/files.h"
#include "platform/system_platform.h"

namespace vsm {
namespace {

// A platform that shows nothing.
class SilentPlatform : public SystemPlatform {
 public:
  void ShowMessage(std::string_view, std::string_view) override {}
  void SetStatus(StatusField, std::string_view) override {}
  void SetCaption(Button, std::string_view) override {}
  void SetChecked(Control, bool) override {}
  void DiscardPendingEvents(std::chrono::milliseconds) override {}
};

// A start folder with its work folder and the two generated lists, removed at the end.
class BenchFolder {
 public:
  explicit BenchFolder(int services) {
    path_ = std::filesystem::temp_directory_path() /
            ("vsm-merge-bench-" + std::to_string(services) + "-" +
             std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(path_ / "VrkWork");
    // The lists share half of their antennas, so that the transponder searches and group
    // insertions do real work.
    Write("a.txt", {services, 16, 0, 1});
    Write("b.txt", {services, 16, 8, 2});
  }
  ~BenchFolder() { std::filesystem::remove_all(path_); }
  std::string Folder() const { return path_.string() + "/"; }
  std::string File(const char* name) const { return (path_ / name).string(); }

 private:
  void Write(const char* name, const ListGeneratorOptions& options) {
    std::ofstream(path_ / name, std::ios::binary) << GenerateChannelListText(options);
  }
  std::filesystem::path path_;
};

void LoadMainList(Workspace& workspace, const BenchFolder& folder) {
  BeginLoad(workspace, folder.File("a.txt"));
  if (!ReadListFile(workspace, folder.File("a.txt")))
    throw std::runtime_error("cannot load " + folder.File("a.txt"));
}

void BM_MergeThisFile(benchmark::State& state) {
  const int services = static_cast<int>(state.range(0));
  BenchFolder folder(services);
  SilentPlatform platform;
  Workspace workspace(platform, folder.Folder());
  for (auto _ : state) {
    state.PauseTiming();
    LoadMainList(workspace, folder);
    const std::string merged = folder.File("b.txt");
    state.ResumeTiming();
    if (!MergeThisFile(workspace, merged)) state.SkipWithError("merge refused");
  }
  state.SetItemsProcessed(state.iterations() * services);
}

// The five phases, the renumbering and the index recomputation, with the merge set already read.
void BM_MergePhases(benchmark::State& state) {
  const int services = static_cast<int>(state.range(0));
  BenchFolder folder(services);
  SilentPlatform platform;
  Workspace workspace(platform, folder.Folder());
  const std::string merged_text = ReadWholeFile(folder.File("b.txt")).value_or("");
  for (auto _ : state) {
    state.PauseTiming();
    LoadMainList(workspace, folder);
    workspace.merge_set.Clear();
    ReadAllSections(workspace, SetId::merge, merged_text);
    state.ResumeTiming();
    MergeRecords(workspace);
    RenumberMainSet(workspace.main_set);
    RecomputeIndexes(workspace.main_set);
  }
  state.SetItemsProcessed(state.iterations() * services);
}

}  // namespace
}  // namespace vsm

BENCHMARK(vsm::BM_MergeThisFile)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(vsm::BM_MergePhases)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
