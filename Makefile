# The everyday commands: `make test` and `make run`. Each installs what is missing first.
#
# make test    every test: the suite, the suite again under AddressSanitizer and
#              UndefinedBehaviorSanitizer, and a short run of each fuzzer; it also builds the
#              optimised korvex-batch (build/release/src/batch/korvex-batch) and runs the
#              README's examples on it
# make run     build the optimised program and start it
# make batch   build the optimised korvex-batch only
# make install install korvex and korvex-batch, optimised, under PREFIX (default /usr/local)
# make package a Debian package of the optimised build: build/release/korvex_VERSION_ARCH.deb
# make check   the suite of one build only (PRESET=default, release or asan)
# make bench   the benchmarks, in the optimised build
# make fuzz    the fuzzers for longer: make fuzz FUZZ_SECONDS=600
#
# The debug (default) and sanitizer (asan) builds are for the tests; everything a user starts
# comes from the optimised build in build/release (RelWithDebInfo).
PRESET ?= default
BUILD_DIR := build/$(PRESET)
# Build only these targets (empty: everything, tests and benchmarks included).
TARGETS ?=
PREFIX ?= /usr/local

.PHONY: test check run batch install package build deps deps-run deps-package configure bench \
        fuzz clean
# What the install rules install, built optimised.
INSTALLED := korvex korvex-batch korvex-batch-manpage

test:
	$(MAKE) check PRESET=default
	$(MAKE) check PRESET=asan
	$(MAKE) batch
	scripts/run-fuzzers.sh
	scripts/check-readme-examples.sh

# ctest keeps a skipped test's reason in its log; it is printed beneath the summary, and
# ctest's own status is the target's.
check: build
	rm -f $(BUILD_DIR)/Testing/Temporary/LastTest.log
	status=0; ctest --preset $(PRESET) || status=$$?; \
	scripts/print-skip-reasons.sh $(BUILD_DIR); exit $$status

run: deps-run
	$(MAKE) build PRESET=release TARGETS=korvex
	scripts/run-korvex.sh build/release/src/ui/korvex

batch:
	$(MAKE) build PRESET=release TARGETS=korvex-batch

install:
	$(MAKE) build PRESET=release TARGETS="$(INSTALLED)"
	cmake --install build/release --prefix $(PREFIX)
	@scripts/tell-path.sh "$(PREFIX)/bin"

package: deps-package
	$(MAKE) build PRESET=release TARGETS="$(INSTALLED)"
	cd build/release && cpack -G DEB

build: configure
	cmake --build --preset $(PRESET) $(if $(strip $(TARGETS)),--target $(TARGETS))

configure: deps
	cmake --preset $(PRESET)

deps:
	scripts/install-deps.sh

deps-run:
	scripts/install-deps.sh --run

deps-package:
	scripts/install-deps.sh --package

bench:
	$(MAKE) build PRESET=release
	scripts/run-benchmarks.sh build/release

fuzz:
	FUZZ_SECONDS=$${FUZZ_SECONDS:-60} scripts/run-fuzzers.sh

clean:
	rm -rf build
