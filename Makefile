# Front for the CMake builds: `make` builds, `make test` tests, `make run` runs, `make bench` times.
# BUILD chooses the build folder (default: build); its wineprefix/ is the test prefix
# of the 32-bit build and of `make run`, $(BUILD64)/wineprefix that of the 64-bit build.
BUILD ?= build
BUILD64 := $(BUILD)/x64
JOBS ?= $(shell nproc)
ENV := scripts/test-env.sh --build $(BUILD)

.PHONY: all setup configure test run bench clean reproducible

all: configure
	cmake --build $(BUILD) -j $(JOBS)
	cmake --build $(BUILD64) -j $(JOBS)

setup:
	@scripts/setup-debian.sh

configure: setup
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
	@[ -f $(BUILD64)/CMakeCache.txt ] || cmake -S . -B $(BUILD64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null

# Each build in a test environment of its own, side by side (scripts/run-tests.sh).
test: all
	scripts/run-tests.sh $(BUILD) $(BUILD64)

run: all
	BRDL_USER_DISPLAY="$${DISPLAY:-}" $(ENV) scripts/run.sh $(BUILD)

# Figures only (start-up, memory, one OK, size); nothing is asserted.
bench: all
	$(ENV) bench/run.sh $(BUILD) $(BUILD64)

reproducible: setup
	scripts/check-reproducible.sh

clean:
	rm -rf $(BUILD)
