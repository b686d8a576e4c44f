# Everyday entry points. `make demo` and `make test` do all the set-up on a fresh machine.
BUILD    ?= build
JOBS     ?= 2
CMAKE_FLAGS ?=

.PHONY: all setup configure build demo test sanitize tsan bench fuzz clean install package

all: build

setup:
	bash scripts/setup.sh

configure: setup
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The main job; DEMO_PERSONS generated persons in the simulated server's scenario.
DEMO_PERSONS ?= 2000
demo: build
	$(BUILD)/bin/velmor demo --persons $(DEMO_PERSONS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# AddressSanitizer + UndefinedBehaviorSanitizer build and test run, in its own tree.
sanitize:
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DVELMOR_SANITIZE=ON -DVELMOR_BUILD_BENCH=OFF"

# ThreadSanitizer build and run of the threaded tests.
tsan:
	$(MAKE) build BUILD=build-tsan CMAKE_FLAGS="-DVELMOR_TSAN=ON -DVELMOR_BUILD_BENCH=OFF"
	ctest --test-dir build-tsan --output-on-failure -j $(JOBS)

bench: build
	bash scripts/bench.sh $(BUILD)

# The roster download end to end: PERSONS generated persons, `velmor roster sync --full`.
PERSONS ?= 100000
.PHONY: bench-roster-sync
bench-roster-sync: configure
	cmake --build $(BUILD) --target velmor velmor-taxsim VelmorService bench_roster -j $(JOBS)
	bash bench/scheme/roster_sync_bench.sh $(BUILD) $(PERSONS)

# The working day end to end at SMALL and PERSONS persons, each step against its insert floor
# measured in the same run, with the peak memory of client and simulator; then `velmor demo`.
# ROUNDS runs the day that many times at each size (the cost per row compared is each step's best).
SMALL ?= 25000
PAYMENT ?= yes
ROUNDS ?= 1
.PHONY: bench-day
bench-day: configure
	cmake --build $(BUILD) --target velmor velmor-taxsim VelmorService bench_day -j $(JOBS)
	PAYMENT=$(PAYMENT) ROUNDS=$(ROUNDS) bash bench/day/day_bench.sh $(BUILD) $(PERSONS) $(SMALL)

# libFuzzer targets (clang); FUZZ_SECONDS per target.
FUZZ_SECONDS ?= 60
fuzz:
	bash scripts/setup.sh fuzz
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DVELMOR_BUILD_FUZZ=ON -DVELMOR_BUILD_TESTS=OFF -DVELMOR_BUILD_BENCH=OFF
	cmake --build build-fuzz -j $(JOBS)
	bash scripts/fuzz.sh build-fuzz $(FUZZ_SECONDS)

# Installs the programs, the plug-in, the platform library, headers, CMake package, pkg-config
# file, manual pages and documents under PREFIX (bin/, lib/, include/, share/).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package from a release tree without tests or benchmarks: build-release/velmor_*.deb
# (stripped) and velmor-dbgsym_*.ddeb (its debug files). Install with apt-get install ./velmor_*.deb.
PACKAGE_BUILD ?= build-release
package: setup
	cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVELMOR_BUILD_TESTS=OFF -DVELMOR_BUILD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cd $(PACKAGE_BUILD) && cpack
	@ls -l $(PACKAGE_BUILD)/velmor_*.deb $(PACKAGE_BUILD)/velmor-dbgsym_*.ddeb

clean:
	rm -rf build build-asan build-tsan build-fuzz build-release

# Installs LibreOffice (large; only this target needs it) and runs the workbook tests that open
# engine-written files in it. Without LibreOffice those tests are skipped.
.PHONY: workbook-interop
workbook-interop: configure
	@command -v libreoffice >/dev/null 2>&1 || { SUDO=$$([ "$$(id -u)" -eq 0 ] || echo sudo); \
	  $$SUDO apt-get update -qq && $$SUDO apt-get install -y -qq --no-install-recommends libreoffice-calc; }
	cmake --build $(BUILD) --target test_workbook -j $(JOBS)
	ctest --test-dir $(BUILD) -L workbook -R LibreOfficeInterop --output-on-failure
