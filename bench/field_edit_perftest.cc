// The field editor on logger-style values, one F9.2 field at a time, and a
// whole listing line of nine values.
#include <benchmark/benchmark.h>

#include <cstdint>
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

}  // namespace

BENCHMARK_MAIN();
