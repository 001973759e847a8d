// The listing line with AVX-512, which format_listing picks where the
// processor has it.
#pragma once

#include "records/listing.h"
#include "simd/avx512.h"

#if VANTREL_AVX512
namespace records {

// format_listing, all of a line's fields at once, for records of at most
// nine values; returns 0, having written nothing, for more. Only where
// simd::has_avx512().
std::size_t format_listing_avx512(char* out, const Observation& obs, Times t, std::int32_t nval);

}  // namespace records
#endif
