# The two commands of the README: `make play` and `make test`.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=
XVFB = xvfb-run -a -s "-screen 0 1024x768x24"

.PHONY: play test build deps install package package-deps asan tsan bench fuzz fuzz-build fuzz-ci fuzz-merge format clean

play: deps build
	cd data && ../$(BUILD)/brumevoltigeante

test: deps build
	cd $(BUILD) && $(XVFB) ctest --output-on-failure -j$(JOBS) $(CTEST_ARGS)

deps:
	scripts/install-deps

build:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)

# The game, its bot, data, manual pages and desktop entry under PREFIX; DESTDIR stages them
# elsewhere. The game finds its data from its own place, so any prefix works unbuilt.
PREFIX ?= /usr/local
install: deps build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package of the same files from a Release build of its own (stripped, hardened),
# laid out as Debian wants games (/usr/games, /usr/share/games), then lintian's verdict on
# it: any error fails the target.
PACKAGE_BUILD = build-package
HARDENING = -D_FORTIFY_SOURCE=2 -fstack-protector-strong
package: package-deps
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DBV_TESTS=OFF \
		-DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games \
		-DBV_DATA_DIR=share/games/brumevoltigeante -DCMAKE_CXX_FLAGS="$(HARDENING)" \
		-DCMAKE_EXE_LINKER_FLAGS="-s -Wl,-z,relro,-z,now" $(CMAKE_FLAGS)
	cmake --build $(PACKAGE_BUILD) -j$(JOBS)
	cd $(PACKAGE_BUILD) && cpack -G DEB
	lintian $(PACKAGE_BUILD)/*.deb
	@ls $(PACKAGE_BUILD)/*.deb

# Only packaging needs these; make test does not wait for them.
package-deps:
	scripts/install-deps package

# Sanitizer builds live in their own build folders and build only the tests they run: no
# windows under the sanitizers (Mesa under ASan is slow and noisy), so neither render nor
# e2e. A report fails the test: UBSan does not recover, TSan halts at the first race.
# The game frees some process-lifetime things never; tests/lsan.supp names them.
SAN_FLAGS = -DBV_TESTS=ON $(CMAKE_FLAGS)
ASAN_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
TSAN_ENV = TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
# The protocol tests of tests/unit, by their gtest suites: a real transport under a game.
PROTOCOL_TESTS = ^(HostGame|ClientGame|MapNames)\.

asan: deps
	cmake -S . -B build-asan -DBV_SANITIZE=address -DCMAKE_BUILD_TYPE=Debug $(SAN_FLAGS)
	cmake --build build-asan -j$(JOBS) --target unit_tests console_tests net_tests maplint
	cd build-asan && $(ASAN_ENV) $(XVFB) ctest --output-on-failure -j$(JOBS) -L '^(unit|console|net)$$'

tsan: deps
	cmake -S . -B build-tsan -DBV_SANITIZE=thread -DCMAKE_BUILD_TYPE=Debug $(SAN_FLAGS)
	cmake --build build-tsan -j$(JOBS) --target unit_tests net_tests
	cd build-tsan && $(TSAN_ENV) ctest --output-on-failure -j$(JOBS) -L '^net$$'
	cd build-tsan && $(TSAN_ENV) ctest --output-on-failure -j$(JOBS) -L '^unit$$' -R '$(PROTOCOL_TESTS)'

# libFuzzer targets (clang): seeds in fuzz/corpus, past crashes in fuzz/regressions, both
# replayed first; then each target runs FUZZ_SECONDS, one after the other (fuzz/run).
FUZZ_SECONDS ?= 60
FUZZ_BUILD = build-fuzz

fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DBV_FUZZ=ON -DBV_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzz_targets
	cd $(FUZZ_BUILD) && ctest --test-dir fuzz --output-on-failure -j$(JOBS) -L fuzz

fuzz: fuzz-build
	fuzz/run $(FUZZ_SECONDS) $(FUZZ_BUILD)

fuzz-ci:
	$(MAKE) fuzz FUZZ_SECONDS=30

# Adds to fuzz/corpus what the last runs found that reaches new code; review before commit.
fuzz-merge:
	fuzz/run --merge $(FUZZ_BUILD)

# Benchmarks: a Release build of their own, then bench/run prints each figure beside its
# reference measured in the same run. Figures mean most on a quiet machine.
bench: deps
	cmake -S . -B build-bench -DBV_BENCH=ON -DBV_TESTS=OFF -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
	cmake --build build-bench -j$(JOBS)
	bench/run build-bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build build-asan build-tsan build-bench build-fuzz build-package
