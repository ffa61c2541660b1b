# Entry points: `make run` and `make test` work on a fresh Debian machine.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
ASAN_BUILD_DIR ?= build-asan
JOBS ?= 2

.PHONY: all deps configure build test test-asan bench soak fuzz run clean

all: build

deps:
	scripts/install-deps

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

configure: $(BUILD_DIR)/build.ninja

build: deps configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j$(JOBS) --timeout 600

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, in
# build-asan (see scripts/test-asan). CTEST_ARGS picks tests, e.g. -R scenario.
test-asan: deps
	ASAN_BUILD_DIR=$(ASAN_BUILD_DIR) JOBS=$(JOBS) scripts/test-asan $(CTEST_ARGS)

bench: build
	$(BUILD_DIR)/bin/bench_data
	$(BUILD_DIR)/bin/bench_controls
	$(BUILD_DIR)/bin/bench_server
	$(BUILD_DIR)/bin/bench_header
	$(BUILD_DIR)/bin/bench_save
	$(BUILD_DIR)/bin/bench_planning
	$(BUILD_DIR)/bin/bench_import
	$(BUILD_DIR)/bin/bench_history
	$(BUILD_DIR)/bin/bench_coverage_report --benchmark_min_time=5

# Crash and soak runs of the real app server (minutes; see README). The
# SOAK_* variables of the environment set their size.
soak: deps configure
	cmake --build $(BUILD_DIR) -j$(JOBS) --target ate-soak ate-hostile ate-appserver
	$(BUILD_DIR)/bin/ate-soak
	$(BUILD_DIR)/bin/ate-hostile --connections 1024 --seconds $${HOSTILE_SECONDS:-60}

# libFuzzer targets built with clang into build-fuzz, FUZZ_SECONDS (60) each;
# fails when any target crashed.
fuzz: deps
	scripts/fuzz

# The app server on the demo database and the host pointed at it (needs a
# display: `xvfb-run make run` without one). ARGS go to ate-host.
run:
	BUILD_DIR=$(BUILD_DIR) scripts/run $(ARGS)

clean:
	rm -rf $(BUILD_DIR)
