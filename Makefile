# The two commands of the quick start. Everything else is CMake's.
BUILD_DIR ?= build

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@test -f $(BUILD_DIR)/build.ninja || cmake -S . -B $(BUILD_DIR) -G Ninja

build: configure
	@cmake --build $(BUILD_DIR)

run: build
	@scripts/demo.sh $(BUILD_DIR)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j2 --timeout 600

bench: build
	@WITH_EXTRAS=1 scripts/install-deps.sh
	@bench/run-all.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
