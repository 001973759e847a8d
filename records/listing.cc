#include "records/listing.h"

#include <algorithm>
#include <cstddef>

#include "records/field_edit.h"
#include "records/listing_avx512.h"

namespace records {

namespace {

// The line(s) field after field, on any machine.
std::size_t format_listing_portable(char* out, const Observation& obs, Times t, std::int32_t nval) {
  char* p = out;
  edit_real(p, t.x, 7, 3);
  edit_real(p + 7, t.bigx, 9, 3);
  edit_int(p + 16, obs.month, 3, 2);
  p[19] = '-';
  edit_int(p + 20, obs.day, 2, 2);
  p[22] = '-';
  p[23] = '1';
  p[24] = '9';
  edit_int(p + 25, obs.year, 2, 2);
  edit_int(p + 27, obs.hour, 3, 2);
  p[30] = ':';
  edit_int(p + 31, obs.min, 2, 2);
  p += 33;
  int n = std::clamp(nval, 0, kMaxValues);
  int first = std::min(n, 10);
  edit_reals(p, obs.val, first, 9, 2);
  p += std::ptrdiff_t{9} * first;
  *p++ = '\n';
  // Past the tenth value the layout starts again on a new line, so the 11th
  // and 12th values take the widths of the two time fields.
  if (n > 10) {
    edit_real(p, obs.val[10], 7, 3);
    p += 7;
    if (n > 11) {
      edit_real(p, obs.val[11], 9, 3);
      p += 9;
    }
    *p++ = '\n';
  }
  return static_cast<std::size_t>(p - out);
}

}  // namespace

std::size_t format_listing(char* out, const Observation& obs, Times t, std::int32_t nval) {
#if VANTREL_AVX512
  if (simd::has_avx512()) {
    const std::size_t len = format_listing_avx512(out, obs, t, nval);
    if (len != 0) return len;
  }
#endif
  return format_listing_portable(out, obs, t, nval);
}

}  // namespace records
