// The field editor on logger-style values, one F9.2 field at a time, and a
// whole listing line of nine values, given as floats and as texts.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "records/field_edit.h"
#include "records/listing.h"

namespace {

std::vector<float> logger_values(std::size_t n) {
  std::vector<float> v(n);
  std::uint64_t s = 0x5eed;
  for (auto& x : v) {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    x = static_cast<float>(static_cast<int>((s >> 33) % 95001u) - 5000) / 100.0f;
  }
  return v;
}

void BM_EditReal_F9_2(benchmark::State& state) {
  auto values = logger_values(4096);
  char out[16];
  std::size_t i = 0;
  for (auto _ : state) {
    records::edit_real(out, values[i++ & 4095], 9, 2);
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EditReal_F9_2);

void BM_ListingLine(benchmark::State& state) {
  auto values = logger_values(std::size_t{4096} * 9);
  records::Observation obs{3, 14, 90, 12, 30, {}};
  char out[records::kMaxListingChars];
  std::size_t i = 0;
  for (auto _ : state) {
    const float* v = &values[(i++ & 4095) * 9];  // no division in the loop
    for (int k = 0; k < 9; ++k) obs.val[k] = v[k];
    records::Times t = records::compute_times(obs);
    benchmark::DoNotOptimize(records::format_listing(out, obs, t, 9));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ListingLine);

// The line as the tool mostly makes it: the values kept as their texts in
// cents form, as the reader keeps such values.
void BM_ListingLineFromTexts(benchmark::State& state) {
  auto values = logger_values(std::size_t{4096} * 9);
  std::vector<textio::Value> texts(values.size());
  for (std::size_t k = 0; k < values.size(); ++k) {
    char text[16];
    const int len = std::snprintf(text, sizeof text, "%.2f", static_cast<double>(values[k]));
    texts[k] = textio::Value::kept({text, static_cast<std::size_t>(len)});
  }
  records::Observation obs{3, 14, 90, 12, 30, {}};
  char out[records::kMaxListingChars];
  std::size_t i = 0;
  for (auto _ : state) {
    const textio::Value* t = &texts[(i++ & 4095) * 9];
    for (int k = 0; k < 9; ++k) obs.val[k] = t[k];
    records::Times times = records::compute_times(obs);
    benchmark::DoNotOptimize(records::format_listing(out, obs, times, 9));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ListingLineFromTexts);

}  // namespace

BENCHMARK_MAIN();
