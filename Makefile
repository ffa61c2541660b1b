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
	$(BUILD_DIR)/bin/bench_controls
	$(BUILD_DIR)/bin/bench_server
	$(BUILD_DIR)/bin/bench_header

# Until the desktop host exists, this serves the demo database in the
# foreground (Ctrl+C stops it).
run: build
	@echo "make run: the desktop host (ate-host) is not built yet; starting the application server alone." >&2
	mkdir -p var
	$(BUILD_DIR)/bin/ate-appserver --init-db --demo --db sqlite:var/ate.db --listen 127.0.0.1:30316

clean:
	rm -rf $(BUILD_DIR)
