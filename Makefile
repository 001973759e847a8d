# Thin wrapper over the CMake presets, so that each job is one command.

.PHONY: run check deps test lint lint-run asan fuzz fuzz-run arm64 proofs clean

# Build the tool, run it on the bundled sample data in examples/, and show
# what it made: the listing's first lines and the coverage report.
run:
	cmake --workflow --preset release
	cd examples && ../build/release/vantrel < station90.replies
	@printf '\nexamples/station90.jul begins:\n'; head -n 3 examples/station90.jul
	@printf '\n'; sh tools/coverage-report examples/station90

# Build and pass every test: the suite in the optimised build and in the
# portable one (the 64-bit word path, no intrinsics, no AVX-512 instruction
# in its binary), clang-format and clang-tidy, then
# the suite under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz
# targets, and the suite built for 64-bit ARM and run under qemu. First installs the
# Debian packages that the steps need, where some are missing.
check: deps test lint asan fuzz arm64

deps:
	sh cmake/install-deps

test:
	cmake --workflow --preset dev
	cmake --workflow --preset portable

# Every source as clang-format lays it out, and clean under clang-tidy with
# the compile commands of the build it belongs to (configured here, not
# built). Without the tools the step is skipped with a note, except in CI.
lint:
	@for t in clang-format clang-tidy clang++; do command -v $$t >/dev/null 2>&1 && continue; \
	  if [ -n "$$CI" ]; then echo "lint: $$t is needed in CI" >&2; exit 1; fi; \
	  echo "lint: $$t not found; skipped (apt-get install clang clang-format clang-tidy)"; exit 0; \
	done; $(MAKE) --no-print-directory lint-run

lint-run:
	clang-format --dry-run -Werror $$(git ls-files '*.cc' '*.h')
	@if command -v python3 >/dev/null 2>&1; then python3 tests/mutation/mutate.py --check; \
	  elif [ -n "$$CI" ]; then echo "lint: python3 is needed in CI" >&2; exit 1; fi
	for p in dev portable fuzz; do cmake --preset $$p >/dev/null || exit 1; done
	@bench=bench/; cmake --preset bench >/dev/null 2>&1 || { [ -z "$$CI" ] || exit 1; bench=none/; \
	  echo "lint: no Google Benchmark (libbenchmark-dev); bench/ skipped"; }; \
	{ git ls-files 'app/*.cc' 'textio/*.cc' 'records/*.cc' 'tests/unit/*.cc' 'tests/whole/*.cc' | sed 's|^|build/dev |'; \
	  echo build/portable textio/line_scan.cc; \
	  git ls-files 'tests/proofs/*.cc' | sed 's|^|build/dev |'; \
	  git ls-files 'tests/fuzz/*.cc' | sed 's|^|build/fuzz |'; git ls-files "$$bench*.cc" | sed 's|^|build/bench |'; } | \
	  xargs -P 2 -n 2 sh -c 'clang-tidy -p "$$0" --quiet --warnings-as-errors="*" "$$1"' 2>build/tidy.log || \
	  { grep -v 'warnings generated' build/tidy.log; exit 1; }

asan:
	cmake --workflow --preset asan

# The exhaustive proofs, by hand when the code they prove changes (about
# twenty minutes on two cores): every float through each field shape
# against printf, every real in cents form against strtof and printf.
proofs:
	cmake --preset dev
	cmake --build --preset dev
	ctest --preset proofs

clean:
	rm -rf build

# Build the fuzz targets with clang, on the default build's code and on the
# portable build's, and run each for FUZZ_SECONDS, starting from the seed
# corpus; any report fails. Without clang the step is skipped
# with a note, except in CI, where it must run.
FUZZ_SECONDS ?= 30
fuzz:
	@if ! command -v clang++ >/dev/null 2>&1; then \
	  if [ -n "$$CI" ]; then echo "fuzz: clang++ is needed in CI" >&2; exit 1; fi; \
	  echo "fuzz: clang++ not found; fuzzing skipped (apt-get install clang libclang-rt-dev)"; \
	  exit 0; \
	fi; \
	$(MAKE) --no-print-directory fuzz-run

fuzz-run:
	cmake --workflow --preset fuzz
	cmake --workflow --preset fuzz-portable
	for b in fuzz fuzz-portable; do for t in reader run fields; do \
	  mkdir -p build/$$b/corpus-$$t && cp tests/fuzz/corpus/$$t/* build/$$b/corpus-$$t/ && \
	  build/$$b/tests/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 \
	    -artifact_prefix=build/$$b/ build/$$b/corpus-$$t || exit 1; \
	done; done

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
