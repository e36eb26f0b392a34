# The commands of the quick start, the sanitizer runs and the mutation pass. Everything else is CMake's.
BUILD_DIR ?= build
# Extra configure arguments for a fresh build folder (CI passes -DTALLYRUNE_WERROR=ON).
CMAKE_ARGS ?=
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
# Sanitizer builds: light optimisation keeps the runs quick, line tables keep the reports readable.
SAN_ARGS = -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" "-DCMAKE_C_FLAGS_DEBUG=-O1 -g1" $(LAUNCHER) $(CMAKE_ARGS)
# Qt is not built with ThreadSanitizer: what its own threads do among themselves (through locks the
# checker cannot see) is left to Qt, and everything compiled here is checked.
# The programs whose tests drive threads: the copy engine with its pool and progress window, and the
# registry written by several threads and processes at once.
TSAN_PROGRAMS = test_copyengine test_shell test_settings
SAN_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:suppressions=$(CURDIR)/tests/sanitizers/asan.supp \
          LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp \
          UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
          TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1

# Installation: `make install DESTDIR=/tmp/x` (PREFIX=/usr/local unless given).
PREFIX ?= /usr/local
DESTDIR ?=
# The Debian packages: an optimised build of the programs alone, in a folder of its own, with the
# hardening Debian builds with (the compiler already makes position-independent executables).
PACKAGE_DIR = build-package
PACKAGE_ARGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLYRUNE_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr \
               "-DCMAKE_CXX_FLAGS=-D_FORTIFY_SOURCE=2 -fstack-protector-strong" \
               "-DCMAKE_C_FLAGS=-D_FORTIFY_SOURCE=2 -fstack-protector-strong" \
               "-DCMAKE_EXE_LINKER_FLAGS=-Wl,-z,relro -Wl,-z,now" $(LAUNCHER) $(CMAKE_ARGS)

.PHONY: all deps configure build run pictures pictures-check test test-asan test-tsan test-wine build-windows mutate bench fleet-test clean install package package-check

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@test -f $(BUILD_DIR)/build.ninja || cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_ARGS)

build: configure
	@cmake --build $(BUILD_DIR)

run: build
	@scripts/demo.sh $(BUILD_DIR)

# The README's pictures, in docs/ (or in PICTURES_DIR), made from a demo install under a virtual display.
pictures: build
	@scripts/pictures.sh $(BUILD_DIR)

# Makes the pictures and checks that each one is there and shows more than one colour.
pictures-check: pictures
	@scripts/pictures/check.sh

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j2 --timeout 600

test-asan: deps
	@test -f build-asan/build.ninja || cmake -S . -B build-asan -G Ninja -DTALLYRUNE_SANITIZE=address,undefined $(SAN_ARGS)
	@cmake --build build-asan
	@cd build-asan && $(SAN_ENV) ctest --output-on-failure -j2 --timeout 900

test-tsan: deps
	@test -f build-tsan/build.ninja || cmake -S . -B build-tsan -G Ninja -DTALLYRUNE_SANITIZE=thread $(SAN_ARGS)
	@cmake --build build-tsan --target $(TSAN_PROGRAMS) tallyrune-updatectl
	@$(SAN_ENV) scripts/run-tests-apart.sh build-tsan/bin $(TSAN_PROGRAMS)

# The contract tests against the real Windows API, cross compiled and run under Wine.
test-wine: deps
	@scripts/test-wine.sh

# The Qt-free Windows build (the Windows backend, the contract tests) for x86_64 and i686, compile and link only.
build-windows: deps
	@scripts/build-windows.sh

mutate: deps
	@python3 tests/mutate/mutate.py

bench: build
	@WITH_EXTRAS=1 scripts/install-deps.sh
	@bench/run-all.sh $(BUILD_DIR)

# Rollout and rollback with Ansible over three tills in network namespaces: as root, after make build.
# Not a CTest test, since it needs root; the timeout bounds the whole run.
fleet-test: build
	@timeout -k 10 600 tests/fleet/fleet-test.sh $(BUILD_DIR)

install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix $(PREFIX)

package:
	@WITH_PACKAGING=1 scripts/install-deps.sh
	@test -f $(PACKAGE_DIR)/build.ninja || cmake -S . -B $(PACKAGE_DIR) -G Ninja $(PACKAGE_ARGS)
	@cmake --build $(PACKAGE_DIR)
	@rm -rf $(PACKAGE_DIR)/packages
	@cd $(PACKAGE_DIR) && cpack -G DEB
	@ls -l $(PACKAGE_DIR)/packages/*.deb $(PACKAGE_DIR)/packages/*.ddeb

package-check: package
	@scripts/package-check.sh $(PACKAGE_DIR)/packages

clean:
	rm -rf $(BUILD_DIR) build-asan build-tsan build-mutate build-wine build-windows-i686 $(PACKAGE_DIR)
