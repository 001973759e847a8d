// The one place that chooses processor-specific code. The AVX-512 paths are
// built where the VANTREL_SIMD option is on (the default) and the compiler
// targets x86-64, and they run only where the processor has every feature
// they use; everywhere else the portable paths do the same work, exactly.
#pragma once

#if VANTREL_SIMD && defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VANTREL_AVX512 1
#else
#define VANTREL_AVX512 0
#endif

#if VANTREL_AVX512

// The features the AVX-512 paths use, written once: they give both the
// compiler's target attribute and the run-time check. (LZCNT, in the
// attribute only, comes with every processor that has AVX-512.)
#define VANTREL_AVX512_FEATURES(X) \
  X(avx512f)                       \
  X(avx512bw)                      \
  X(avx512vl) X(avx512dq) X(avx512cd) X(avx512vbmi) X(avx512vbmi2) X(bmi) X(bmi2) X(popcnt)
#define VANTREL_FEATURE_NAME(f) "," #f
#define VANTREL_FEATURE_CHECK(f) &&__builtin_cpu_supports(#f)

// Marks a function compiled for the AVX-512 features.
#define VANTREL_AVX512_TARGET \
  __attribute__((target("lzcnt" VANTREL_AVX512_FEATURES(VANTREL_FEATURE_NAME))))

namespace simd {

// True when this processor has every feature the AVX-512 paths use.
inline bool has_avx512() {
  static const bool yes = true VANTREL_AVX512_FEATURES(VANTREL_FEATURE_CHECK);
  return yes;
}

}  // namespace simd

#else

namespace simd {

// No AVX-512 path is built in.
inline bool has_avx512() {
  return false;
}

}  // namespace simd

#endif
