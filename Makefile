# The two commands of the README: `make play` and `make test`.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=
XVFB = xvfb-run -a -s "-screen 0 1024x768x24"

.PHONY: play test build deps asan tsan bench fuzz format clean

play: deps build
	cd data && ../$(BUILD)/brumevoltigeante

test: deps build
	cd $(BUILD) && $(XVFB) ctest --output-on-failure -j$(JOBS) $(CTEST_ARGS)

deps:
	scripts/install-deps

build:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)

# Sanitizer builds live in their own build folders.
asan: deps
	$(MAKE) build BUILD=build-asan CMAKE_FLAGS="-DBV_SANITIZE=address -DCMAKE_BUILD_TYPE=Debug"
	cd build-asan && $(XVFB) ctest --output-on-failure -j$(JOBS) -L 'unit|console|net'

tsan: deps
	$(MAKE) build BUILD=build-tsan CMAKE_FLAGS="-DBV_SANITIZE=thread -DCMAKE_BUILD_TYPE=Debug"
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j$(JOBS) -L net

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build build-asan build-tsan build-bench build-fuzz
