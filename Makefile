# Thin wrapper around CMake. `make play` and `make test` install what the
# build needs first, so both work on a fresh Debian or Ubuntu machine.
BUILD   ?= build
PREFIX  ?= /usr/local
JOBS    ?= $(shell nproc 2>/dev/null || echo 2)
WERROR  ?= OFF
CMAKE_FLAGS ?=

.PHONY: all deps configure build play test install bench soak clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(PREFIX) -DSERIFALL_WERROR=$(WERROR) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

play: build
	@$(BUILD)/serifall

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE soak

soak: build
	@cd $(BUILD) && ctest --output-on-failure -L soak

install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

bench: deps
	@cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DSERIFALL_TESTS=OFF -DSERIFALL_BENCH=ON >/dev/null
	@cmake --build $(BUILD)-bench -j $(JOBS)
	@if [ -x $(BUILD)-bench/serifall_bench ]; then $(BUILD)-bench/serifall_bench; else echo "no benchmark program yet"; fi

clean:
	@rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-asan

# libFuzzer targets built with clang in their own folder; each runs
# FUZZ_SECONDS from the seed corpus in tests/fuzz/corpus.
FUZZ_SECONDS ?= 60
.PHONY: fuzz
fuzz:
	@scripts/install-deps.sh clang libclang-rt-dev
	@cmake -S . -B $(BUILD)-fuzz -DCMAKE_CXX_COMPILER=clang++ -DSERIFALL_FUZZ=ON -DSERIFALL_TESTS=OFF -DSERIFALL_WERROR=$(WERROR) >/dev/null
	@cmake --build $(BUILD)-fuzz -j $(JOBS) --target fuzz_term_input fuzz_numtext
	@tests/fuzz/run.sh $(BUILD)-fuzz $(FUZZ_SECONDS)
