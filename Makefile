# The README's two commands: `make run` and `make test`. `make bench` runs the benchmarks.
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
FUZZ_RUNS ?=
FUZZ_TARGETS ?=
TSAN_BUILD ?= build-tsan
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench sanitize tsan fuzz format format-check clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@bash scripts/run-demo.sh $(BUILD)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS) --timeout 600

bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	@$(MAKE) --no-print-directory test BUILD=$(SANITIZE_BUILD) CMAKE_FLAGS="-DQV_SANITIZE=address,undefined -DQV_BENCH=OFF"

# Every libFuzzer target (or those FUZZ_TARGETS names) for FUZZ_SECONDS seconds, or for
# FUZZ_RUNS executions when that is given, built with clang in a build directory of its own;
# fails on any crash, hang or leak.
fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
		-DCMAKE_CXX_COMPILER=clang++ -DQV_FUZZ=ON -DQV_TESTS=OFF -DQV_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS) --target qvfuzz
	@bash scripts/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) "$(FUZZ_RUNS)" "$(FUZZ_TARGETS)"

# The tests of everything that runs threads under ThreadSanitizer, in a build of their own: the
# thread base, timer service, mailbox, device manager, screen manager, MYS recorder and player,
# wave manager, Camscout's receiver, Reelback's engine and qvtool drawing a disk with a damaged
# event area. A data race or a lock-order inversion fails the test that shows it.
TSAN_PROGRAMS = test_core test_platform test_stream test_storage test_display test_audio \
	test_camscout test_reelback test_tools
TSAN_SUITES = core.CKWThread. platform.KWTimerService. platform.KWMessageTarget. \
	platform.KWEvent. storage.CQXStorageDeviceManager display.CQXScreenManager4 \
	display.CQXOffscreenView stream.CQXMysRecorder stream.CQXMysPlayer audio.CKWWaveManager \
	audio.CKWWaveBuffer camscout.CCamReceiver reelback.CKWPlaybackEngine \
	tools.StreamCommandsTest.Render
empty :=
space := $(empty) $(empty)
TSAN_TESTS = ^($(subst .,\.,$(subst $(space),|,$(strip $(TSAN_SUITES)))))
TSAN_OPTIONS_ALL = halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan.supp

tsan: deps
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_SANITIZE=thread \
		-DQV_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(TSAN_BUILD) -j$(JOBS) --target $(TSAN_PROGRAMS)
	@cd $(TSAN_BUILD) && QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="$(TSAN_OPTIONS_ALL)" \
		ctest --output-on-failure -j$(JOBS) --timeout 600 -R '$(TSAN_TESTS)'

# Our C++ sources as the repository's .clang-format lays them out: `format` rewrites them,
# `format-check` fails on the first file that differs (CI runs it).
SOURCES = $(shell git ls-files '*.cpp' '*.h')

format: deps
	@clang-format -i $(SOURCES)

format-check: deps
	@clang-format --dry-run -Werror $(SOURCES)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
