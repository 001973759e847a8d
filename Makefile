# Thin wrapper over the CMake presets, so that each job is one command.

.PHONY: run check deps test asan fuzz fuzz-run arm64 clean

# Build the tool and run it on the bundled sample data in examples/.
run:
	cmake --workflow --preset release
	cd examples && ../build/release/vantrel < station90.replies

# Build and pass every test: the optimised build, then the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, the fuzzers, and the suite
# built for 64-bit ARM and run under qemu. First installs the Debian packages
# that the steps need, where some are missing.
check: deps test asan fuzz arm64

deps:
	sh tools/install-deps

test:
	cmake --workflow --preset dev

asan:
	cmake --workflow --preset asan

clean:
	rm -rf build

# Build the fuzz targets with clang and run each for FUZZ_SECONDS, starting
# from the seed corpus; any report fails. Without clang the step is skipped
# with a note, except in CI, where it must run.
FUZZ_SECONDS ?= 60
fuzz:
	@if ! command -v clang++ >/dev/null 2>&1; then \
	  if [ -n "$$CI" ]; then echo "fuzz: clang++ is needed in CI" >&2; exit 1; fi; \
	  echo "fuzz: clang++ not found; fuzzing skipped (apt-get install clang libclang-rt-dev)"; \
	  exit 0; \
	fi; \
	$(MAKE) --no-print-directory fuzz-run

fuzz-run:
	cmake --workflow --preset fuzz
	for t in reader run; do \
	  mkdir -p build/fuzz/corpus-$$t && cp fuzz/corpus/$$t/* build/fuzz/corpus-$$t/ && \
	  build/fuzz/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 \
	    -artifact_prefix=build/fuzz/ build/fuzz/corpus-$$t || exit 1; \
	done

# Cross-build the tool and its tests for 64-bit ARM and run the suite under
# qemu's user-mode emulator. Without the cross compiler or qemu the step is
# skipped with a note, except in CI, where it must run.
arm64:
	@for c in aarch64-linux-gnu-g++ qemu-aarch64-static; do \
	  command -v $$c >/dev/null 2>&1 && continue; \
	  if [ -n "$$CI" ]; then echo "arm64: $$c is needed in CI" >&2; exit 1; fi; \
	  echo "arm64: $$c not found; skipped (apt-get install g++-aarch64-linux-gnu qemu-user-static)"; \
	  exit 0; \
	done; \
	cmake --workflow --preset arm64
