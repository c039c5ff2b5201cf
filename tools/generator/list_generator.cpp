#include "generator/list_generator.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "format/writer.h"
#include "model/messages.h"

namespace vsm {
namespace {

// The satellites of the default position table, in its order.
constexpr std::array<std::string_view, 32> kSatelliteNames = {
    "Astra",        "Hotbird",      "Eutelsat W2", "Eutelsat W1",  "Eutelsat W3A", "Sirius",
    "Thor",         "Amos",         "Atl.Bird 3",  "Nilesat",      "Atl.Bird 2",   "Express 3A",
    "Telstar 12",   "Intelsat 901", "NSS 7",       "Intelsat 907", "Hispasat",     "Express AM1",
    "Intelsat 903", "Telstar 11",   "Pas 3R",      "Europestar 1", "Turksat",      "Sesat",
    "Astra 2",      "Badr 3",       "E-bird",      "Astra 3A",     "Hellas sat 1", "Intelsat 905",
    "Atl. Bird 1",  "Eutelsat W6"};
constexpr int kSatelliteCount = static_cast<int>(kSatelliteNames.size());

constexpr std::array<std::string_view, 10> kProviderFirstWords = {
    "Nordic", "Alpine",  "Baltic",   "Atlantic", "Central",
    "Euro",   "Iberian", "Adriatic", "Orbit",    "Polar"};
constexpr std::array<std::string_view, 8> kProviderSecondWords = {
    "Media", "Broadcast", "Digital", "Networks", "Vision", "Sat", "Channels", "Television"};
constexpr std::array<std::string_view, 12> kChannelWords = {"Nova", "Sky",   "Euro",   "Alpha",
                                                            "Star", "Prime", "Delta",  "Vista",
                                                            "Luna", "Terra", "Aurora", "Metro"};
constexpr std::array<std::string_view, 10> kTvWords = {"TV",   "News", "Sport", "Music",  "Movies",
                                                       "Kids", "Docs", "Life",  "Comedy", "HD"};
constexpr std::array<std::string_view, 6> kRadioWords = {"Radio", "FM",   "Classic",
                                                         "Jazz",  "Hits", "Talk"};
constexpr std::array<std::int32_t, 5> kSymbolRates = {22000, 27500, 27500, 29900, 30000};

// SplitMix64: small, fast, and the same on every platform (unlike the standard distributions).
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int bound) {
    return bound <= 0 ? 0 : static_cast<int>(Next() % static_cast<unsigned>(bound));
  }
  int Between(int low, int high) { return low + Below(high - low + 1); }
  template <class Array>
  typename Array::value_type Pick(const Array& words) {
    return words[static_cast<std::size_t>(Below(static_cast<int>(words.size())))];
  }

 private:
  std::uint64_t state_;
};

std::string Join(std::string_view first, std::string_view second) {
  std::string text(first);
  text += ' ';
  text += second;
  return text;
}

class ListText {
 public:
  void Line(std::string_view line) {
    text_ += line;
    text_ += "\r\n";
  }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

struct Shape {
  int services;
  int antennas;
  int first_antenna;
  int transponders;
  int providers;
  int radios;
};

Shape ShapeOf(const ListGeneratorOptions& options) {
  Shape shape{};
  shape.services = std::max(0, options.services);
  shape.antennas = std::clamp(options.antennas, 1, kSatelliteCount);
  shape.first_antenna =
      ((options.first_antenna % kSatelliteCount) + kSatelliteCount) % kSatelliteCount;
  shape.transponders = std::max(shape.antennas, (shape.services + 5) / 10);
  shape.providers = std::max(1, (shape.services + 10) / 20);
  shape.radios = shape.services / 5;
  return shape;
}

int SatelliteOf(const Shape& shape, int antenna) {
  return (shape.first_antenna + antenna) % kSatelliteCount;
}

void WriteAntennas(ListText& out, const Shape& shape) {
  for (int k = 0; k < shape.antennas; ++k) {
    const int satellite = SatelliteOf(shape, k);
    Antenna antenna;
    antenna.out_index = k;
    AntennaValues& v = antenna.values;
    // Satellite number in the high word, low-band oscillator in the low word: a 64-bit value.
    v.value2 = (std::int64_t{satellite + 1} << 32) | 9750;
    v.value3 = 9750;
    v.value4 = 10600;
    v.value5 = 11700;
    v.value6 = satellite % 4;  // switch port
    v.value7 = 1;
    v.value8 = 0;
    antenna.name = kSatelliteNames[static_cast<std::size_t>(satellite)];
    out.Line(FormatAntenna(antenna));
  }
}

// An antenna's transponders come from a stream of its own, so that lists sharing the antenna
// share its first transponders.
std::vector<Transponder> TranspondersOf(int satellite, int antenna, int count) {
  Random random(0xA17E'0000ull + static_cast<std::uint64_t>(satellite));
  std::vector<Transponder> transponders(static_cast<std::size_t>(count));
  for (Transponder& t : transponders) {
    t.out_antenna_index = antenna;
    TransponderValues& v = t.values;
    v.value2 = random.Between(1, 65535);      // transport stream id
    v.value3 = random.Between(10700, 12750);  // frequency, MHz
    v.value4 = random.Below(2);               // polarisation
    v.value5 = random.Pick(kSymbolRates);
    v.value6 = random.Between(1, 8);    // inner code rate
    v.value7 = random.Between(1, 200);  // original network id
    v.value8 = random.Below(2);         // modulation
  }
  std::stable_sort(
      transponders.begin(), transponders.end(),
      [](const Transponder& a, const Transponder& b) { return a.values.value3 < b.values.value3; });
  return transponders;
}

void WriteTransponders(ListText& out, const Shape& shape) {
  for (int k = 0; k < shape.antennas; ++k) {
    const int count =
        shape.transponders / shape.antennas + (k < shape.transponders % shape.antennas);
    for (const Transponder& t : TranspondersOf(SatelliteOf(shape, k), k, count)) {
      out.Line(FormatTransponder(t));
    }
  }
}

void WriteProviders(ListText& out, const Shape& shape, Random& random) {
  constexpr int kCombinations =
      static_cast<int>(kProviderFirstWords.size() * kProviderSecondWords.size());
  const int offset = random.Below(kCombinations);
  for (int k = 0; k < shape.providers; ++k) {
    // A stride prime to the number of combinations visits each once before any repeats.
    const int combination = (offset + k * 7) % kCombinations;
    const auto words = static_cast<std::size_t>(kProviderSecondWords.size());
    std::string name = Join(kProviderFirstWords[static_cast<std::size_t>(combination) / words],
                            kProviderSecondWords[static_cast<std::size_t>(combination) % words]);
    if (k >= kCombinations) name.append(" ").append(std::to_string(k / kCombinations + 1));
    out.Line(name);
  }
}

// About one service in eight, at least one, spread over the list, in ascending order.
void WriteFavorites(ListText& out, int services, int kind, Random& random) {
  if (services == 0) return;
  const int count = std::max(1, services / 8);
  const int spacing = services / count;
  for (int j = 0; j < count; ++j) {
    Favorite favorite;
    favorite.kind = kind;
    favorite.value2 = j + 1;
    favorite.out_channel_index =
        static_cast<int>(static_cast<long long>(j) * services / count) + random.Below(spacing);
    out.Line(FormatFavorite(favorite));
  }
}

// One "[SERVICE]" line.
std::string ServiceText(const Shape& shape, bool tv, int number, Random& random) {
  ServiceLineColumns s;
  s.texts.kind = tv ? "V" : "A";
  ServiceValues& v = s.values;
  v.value2 = random.Between(1, 65535);           // service id
  v.value3 = tv ? random.Between(32, 8190) : 0;  // video pid
  v.value4 = random.Between(32, 8190);           // audio pid
  v.value5 = tv ? v.value3 : v.value4;           // clock reference pid
  v.value6 = random.Between(32, 8190);           // programme map pid
  v.value7 = tv ? 1 : 2;                         // service type
  s.texts.flag8 = random.Below(20) == 0 ? "TRUE" : "FALSE";
  s.texts.flag9 = "FALSE";
  s.texts.scrambled = random.Below(10) < 3 ? "TRUE" : "FALSE";
  s.transponder = random.Below(shape.transponders);
  s.provider = random.Below(shape.providers);
  // Drawn one after the other: the order in which a call's arguments are taken differs between
  // compilers, and every build must make the same list.
  const auto kind = tv ? random.Pick(kTvWords) : random.Pick(kRadioWords);
  const auto channel = random.Pick(kChannelWords);
  const std::string name = Join(channel, kind);
  s.texts.name = name;  // a view: the columns live only until their line is formatted
  s.number = number;
  return FormatService(s);
}

void WriteServices(ListText& out, const Shape& shape, Random& random) {
  const int tv = shape.services - shape.radios;
  for (int i = 0; i < tv; ++i) out.Line(ServiceText(shape, true, i + 1, random));
  for (int i = 0; i < shape.radios; ++i) out.Line(ServiceText(shape, false, i + 1, random));
}

}  // namespace

std::string GenerateChannelListText(const ListGeneratorOptions& options) {
  const Shape shape = ShapeOf(options);
  Random random(options.seed);
  ListText out;
  out.Line(kChannelListHeader);
  out.Line("[ANTENNA]");
  WriteAntennas(out, shape);
  out.Line("[TS]");
  WriteTransponders(out, shape);
  out.Line("[NETWORK]");
  out.Line("1\t" + Join(kSatelliteNames[static_cast<std::size_t>(shape.first_antenna)], "Network"));
  out.Line("2\tMultiplex\t" + std::to_string(shape.transponders));
  out.Line("[PROVIDER]");
  WriteProviders(out, shape, random);
  out.Line("[FAVORITE]");
  WriteFavorites(out, shape.services - shape.radios, 0, random);
  WriteFavorites(out, shape.radios, 1, random);
  out.Line("[SERVICE]");
  WriteServices(out, shape, random);
  out.Line("[MENU]");
  out.Line("0\tTV\t" + std::to_string(shape.services - shape.radios));
  out.Line("1\tRadio\t" + std::to_string(shape.radios));
  return out.Take();
}

}  // namespace vsm
