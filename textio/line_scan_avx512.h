// The line scan with AVX-512, which scan_line picks where the processor has it.
#pragma once

#include "simd/avx512.h"
#include "textio/line_scan.h"

#if VANTREL_AVX512
namespace textio {

// scan_line, eight tokens at a time; only where simd::has_avx512().
std::size_t scan_line_avx512(const char* s, std::span<const Item> items, std::uint32_t* bits,
                             std::uint64_t* texts);

}  // namespace textio
#endif
