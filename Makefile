# Thin wrapper around serifall.sh, which installs the Debian packages each
# step needs, configures only when something changed and builds quietly.
BUILD   ?= build
PREFIX  ?= /usr/local
JOBS    ?= $(shell nproc 2>/dev/null || echo 2)
WERROR  ?= OFF
CMAKE_FLAGS ?=
RUN = BUILD='$(BUILD)' PREFIX='$(PREFIX)' JOBS='$(JOBS)' SERIFALL_WERROR='$(WERROR)' \
      CMAKE_FLAGS='$(CMAKE_FLAGS)' ./serifall.sh

.PHONY: all deps build play test install deb bench soak screenshot demo minimal-root clean

all: build

deps:
	@$(RUN) deps test

build:
	@$(RUN) build

play:
	@$(RUN) play

test:
	@$(RUN) test

soak:
	@$(RUN) build-tests
	@cd $(BUILD) && ctest --output-on-failure -L soak

install:
	@$(RUN) install

# The source package and its binary one with dpkg-buildpackage in
# $(BUILD)-deb/, serifall_<version>_<arch>.deb copied to this folder,
# all checked with lintian when it is installed.
deb:
	@$(RUN) deb

bench:
	@$(RUN) deps play
	@cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DSERIFALL_TESTS=OFF -DSERIFALL_BENCH=ON >/dev/null
	@cmake --build $(BUILD)-bench -j $(JOBS)
	@if [ -x $(BUILD)-bench/serifall_bench ]; then $(BUILD)-bench/serifall_bench; else echo "no benchmark program yet"; fi

# doc/screenshot.png from xterm under Xvfb.
screenshot: build
	@scripts/screenshot.sh $(BUILD)/serifall

# doc/demo.gif: a few seconds of play in xterm under Xvfb, grabbed by ffmpeg.
demo:
	@scripts/install-deps.sh xterm ffmpeg fonts-dejavu-core
	@$(RUN) build
	@scripts/demo.sh $(BUILD)/serifall

# The README's commands and the package built and installed on fresh
# minimal Debian roots of SUITE (bookworm or trixie, default this
# machine's; as root; takes a while).
SUITE ?=
minimal-root:
	@scripts/minimal-root.sh $(SUITE)

clean:
	@rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-asan $(BUILD)-deb $(BUILD)-fuzz $(BUILD)-clang

# libFuzzer targets built with clang in their own folder; each runs
# FUZZ_SECONDS from the seed corpus in tests/fuzz/corpus.
FUZZ_SECONDS ?= 60
.PHONY: fuzz
fuzz:
	@scripts/install-deps.sh clang libclang-rt-dev
	@cmake -S . -B $(BUILD)-fuzz -DCMAKE_CXX_COMPILER=clang++ -DSERIFALL_FUZZ=ON -DSERIFALL_TESTS=OFF -DSERIFALL_WERROR=$(WERROR) >/dev/null
	@cmake --build $(BUILD)-fuzz -j $(JOBS) --target fuzz_term_input fuzz_numtext
	@tests/fuzz/run.sh $(BUILD)-fuzz $(FUZZ_SECONDS)
