#include "model/records.h"

namespace vsm {
namespace {

struct UsualTexts {
  std::string_view usual, other_usual;
};

// By Service::Column.
constexpr std::array<UsualTexts, 4> kUsualTexts = {{
    {"V", "A"},
    {kFalseText, kTrueText},
    {kFalseText, kTrueText},
    {kFalseText, kTrueText},
}};

}  // namespace

void Service::SetTexts(const ServiceTexts& columns, TextStore& list_texts) {
  const std::array<std::string_view, 4> by_column = {columns.kind, columns.flag8, columns.flag9,
                                                     columns.scrambled};
  std::array<std::string_view, 4> odd{};
  std::size_t odd_count = 0;
  for (std::size_t column = 0; column < by_column.size(); ++column) {
    const std::string_view text = by_column[column];
    if (text == kUsualTexts[column].usual) {
      codes[column] = Code::usual;
    } else if (text == kUsualTexts[column].other_usual) {
      codes[column] = Code::other_usual;
    } else {
      codes[column] = Code::odd;
      odd[odd_count++] = text;
    }
  }
  texts = odd_count == 0 ? list_texts.KeepRun({columns.name})
                         : list_texts.KeepRun({columns.name, odd[0], odd[1], odd[2], odd[3]});
}

std::string_view Service::Text(Column column) const {
  const auto at = static_cast<std::size_t>(column);
  switch (codes[at]) {
    case Code::usual:
      return kUsualTexts[at].usual;
    case Code::other_usual:
      return kUsualTexts[at].other_usual;
    case Code::odd:
      break;
  }
  std::size_t odd_before = 0;
  for (std::size_t column_before = 0; column_before < at; ++column_before) {
    odd_before += codes[column_before] == Code::odd ? 1 : 0;
  }
  return texts[1 + odd_before];
}

static_assert(sizeof(Service) <= 64, "a service fills one cache line");

}  // namespace vsm
