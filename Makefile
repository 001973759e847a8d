# Thin wrapper over the CMake presets, so that each job is one command.

.PHONY: run check test asan clean

# Build the tool and run it on the bundled sample data in examples/.
run:
	cmake --workflow --preset release
	cd examples && ../build/release/vantrel < station90.replies

# Build and pass every test: the optimised build, then the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer.
check: test asan

test:
	cmake --workflow --preset dev

asan:
	cmake --workflow --preset asan

clean:
	rm -rf build
