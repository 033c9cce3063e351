# The two everyday commands: `make test` and `make run`. Both install what is missing first.
PRESET ?= default
BUILD_DIR := build/$(PRESET)

.PHONY: test run build deps deps-run configure bench asan clean

test: build
	ctest --preset $(PRESET)

run: deps-run build
	scripts/run-korvex.sh $(BUILD_DIR)/src/ui/korvex

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

asan:
	$(MAKE) test PRESET=asan

clean:
	rm -rf build
