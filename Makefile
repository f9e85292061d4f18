# GRUM: one command each to run and to test on a fresh Debian 12 machine.
#
#   make run    build, install the plug-in into ~/.vst3 and ~/.lv2, render the default song to out/
#   make test   build and run every test
#
# Also: make deps (Debian packages), make build, make bench, make sanitize
# (the engine tests under AddressSanitizer and UBSan), make clean.

BUILD     ?= build
TYPE      ?= Release
JOBS      ?= $(shell nproc 2>/dev/null || echo 2)
OUT       ?= out

PACKAGES := cmake ninja-build g++ pkg-config juce-modules-source \
            libasound2-dev libfreetype-dev libfontconfig1-dev libx11-dev libxrandr-dev \
            libxinerama-dev libxcursor-dev libxext-dev libgl-dev libpng-dev libjpeg-dev \
            libflac-dev libvorbis-dev libogg-dev libgtest-dev libbenchmark-dev xvfb xauth \
            lilv-utils

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

ARTEFACTS = $(BUILD)/GRUM_artefacts/$(TYPE)

# Tests that open windows get a virtual display when there is none.
DISPLAY_WRAP := $(shell [ -z "$$DISPLAY" ] && command -v xvfb-run >/dev/null 2>&1 && echo "xvfb-run -a")

.PHONY: all deps configure build run install test bench sanitize tsan clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing: $$missing"; \
	    $(SUDO) apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(TYPE)

configure: $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

install: build
	mkdir -p $(HOME)/.vst3 $(HOME)/.lv2
	rm -rf $(HOME)/.vst3/GRUM.vst3 $(HOME)/.lv2/GRUM.lv2
	cp -R $(ARTEFACTS)/VST3/GRUM.vst3 $(HOME)/.vst3/
	cp -R $(ARTEFACTS)/LV2/GRUM.lv2 $(HOME)/.lv2/
	@echo "Installed $(HOME)/.vst3/GRUM.vst3 and $(HOME)/.lv2/GRUM.lv2"

# The default song: 64 bars of seed 126 at 48 kHz, as audio and as MIDI.
SONG = $(OUT)/GRUM_seed126_64takter

run: install
	mkdir -p $(OUT)
	$(BUILD)/grum render --seed 126 --bars 64 --sample-rate 48000 --out $(SONG).wav --midi-out $(SONG).mid
	@echo "Wrote $(SONG).wav and $(SONG).mid"

test: build
	cd $(BUILD) && $(DISPLAY_WRAP) ctest --output-on-failure -j $(JOBS)

bench: build
	$(BUILD)/bench/grum_bench
	$(BUILD)/bench/grum_plugin_bench

# The engine on its own under AddressSanitizer and UBSan.
sanitize: | deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGRUM_ENGINE_ONLY=ON \
	    -DGRUM_SANITIZE=ON -DGRUM_BUILD_BENCHMARKS=OFF
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

# The message thread's operations racing a playing audio thread, under
# ThreadSanitizer.
tsan: | deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGRUM_TSAN=ON -DGRUM_BUILD_BENCHMARKS=OFF
	cmake --build build-tsan -j $(JOBS) --target grum_plugin_tests
	TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" build-tsan/tests/grum_plugin_tests --gtest_filter='Threads.*'

clean:
	rm -rf $(BUILD) build-asan build-tsan
