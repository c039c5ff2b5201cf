#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace vsm {

// Bytes that the process moved through read and write calls so far (the page cache included).
struct IoCounters {
  std::uint64_t read = 0;
  std::uint64_t written = 0;
};

// Nothing where the system does not count them.
std::optional<IoCounters> ReadIoCounters();

// Starts a new measurement of the peak resident memory; false where the system cannot.
bool ResetPeakResidentMemory();
// The peak resident memory since the last reset (or since the start), in bytes.
std::uint64_t PeakResidentMemory();

// The processor time that the process used so far, user and system, in seconds.
double ProcessorSeconds();

// The pages that the process has touched for the first time so far (minor page faults): memory
// that the system had to find, clear and map, at a cost of its own.
std::uint64_t PageFaults();

// Gives memory that the allocator keeps for reuse back to the system, so that one measurement
// does not inherit the peak of the one before.
void ReleaseFreeMemory();

// The middle value of one or more measurements (the mean of the two middle ones for an even count).
double Median(std::vector<double> values);

}  // namespace vsm
