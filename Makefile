# Thin wrapper over the CMake presets, so that each job is one command.

.PHONY: run check deps test asan fuzz fuzz-run clean

# Build the tool and run it on the bundled sample data in examples/.
run:
	cmake --workflow --preset release
	cd examples && ../build/release/vantrel < station90.replies

# Build and pass every test: the optimised build, then the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer. First installs the Debian
# packages that the steps need, where some are missing.
check: deps test asan fuzz

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
