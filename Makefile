# Entry points: `make run` and `make test` work on a fresh Debian machine.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= 2

.PHONY: all deps configure build test bench run clean

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

bench: build
	$(BUILD_DIR)/bin/bench_data

run:
	@echo "make run: the host application (ate-host) is not available yet; 'make test' runs what exists." >&2
	@exit 1

clean:
	rm -rf $(BUILD_DIR)
