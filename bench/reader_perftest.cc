// The free-form reader on records of the benchmark's shape: five integers and
// nine values with two decimals (kept as their texts, as the tool keeps
// them), one record per line, read from memory; parted by blanks (the
// argument 0), by commas (1), or in fixed columns of twelve characters,
// which makes lines of about 120 bytes (2).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "records/observation.h"
#include "textio/freeform_reader.h"
#include "textio/stream.h"

namespace {

std::string logger_records(int n, std::int64_t shape) {
  const char* date = shape == 1 ? "%d,%d,90,%d,%d" : "%d %d 90 %d %d";
  const char* value = shape == 0 ? " %.2f" : shape == 1 ? ",%.2f" : "%12.2f";
  std::string text;
  std::uint64_t s = 0x5eed;
  char line[200];
  for (int r = 0; r < n; ++r) {
    int len = std::snprintf(line, sizeof line, date, 1 + r % 12, 1 + r % 28, r % 24, r % 60);
    for (int k = 0; k < 9; ++k) {
      s = s * 6364136223846793005ull + 1442695040888963407ull;
      int cents = static_cast<int>((s >> 33) % 95001u) - 5000;
      len += std::snprintf(line + len, sizeof line - static_cast<std::size_t>(len), value,
                           cents / 100.0);
    }
    text.append(line, static_cast<std::size_t>(len));
    text += '\n';
  }
  return text;
}

void BM_ReadRecords(benchmark::State& state) {
  const std::string text = logger_records(10000, state.range(0));
  records::Observation obs;
  textio::Item items[14] = {
      textio::Item::integer_field(obs.month), textio::Item::integer_field(obs.day),
      textio::Item::integer_field(obs.year), textio::Item::integer_field(obs.hour),
      textio::Item::integer_field(obs.min)};
  for (int k = 0; k < 9; ++k) items[5 + k] = textio::Item::real_field(obs.val[k]);
  for (auto _ : state) {
    textio::MemorySource src(text);
    textio::Reader reader(src);
    while (reader.read(items) == textio::Outcome::whole) benchmark::DoNotOptimize(obs);
  }
  state.SetItemsProcessed(state.iterations() * 10000);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ReadRecords)->Arg(0)->Arg(1)->Arg(2);

}  // namespace

BENCHMARK_MAIN();
