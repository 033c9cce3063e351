# The two everyday commands: `make test` and `make run`. Both install what is missing first.
#
# make test    every test: the suite, the suite again under AddressSanitizer and
#              UndefinedBehaviorSanitizer, and a short run of each fuzzer (when clang is present)
# make run     build and start the program
# make check   the suite of one build only (PRESET=default, release or asan)
# make bench   the benchmarks, in an optimised build
# make fuzz    the fuzzers for longer: make fuzz FUZZ_SECONDS=600
PRESET ?= default
BUILD_DIR := build/$(PRESET)

.PHONY: test check run build deps deps-run configure bench fuzz clean

test:
	$(MAKE) check PRESET=default
	$(MAKE) check PRESET=asan
	scripts/run-fuzzers.sh

check: build
	ctest --preset $(PRESET)

run: deps-run
	$(MAKE) build PRESET=default
	scripts/run-korvex.sh build/default/src/ui/korvex

build: configure
	cmake --build --preset $(PRESET)

configure: deps
	cmake --preset $(PRESET)

deps:
	scripts/install-deps.sh

deps-run:
	scripts/install-deps.sh --run

bench:
	$(MAKE) build PRESET=release
	scripts/run-benchmarks.sh build/release

fuzz:
	FUZZ_SECONDS=$${FUZZ_SECONDS:-60} scripts/run-fuzzers.sh

clean:
	rm -rf build
