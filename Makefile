# The two commands a newcomer needs:  make run  and  make test.
# Both install what is missing (Debian 12, as root or with sudo), configure and build.

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
FUZZ_SECONDS      ?= 30
FUZZ_LONG_SECONDS ?= 1800
CMAKE_FLAGS ?=

.PHONY: all setup configure build run test test-only sanitize fuzz fuzz-long clean

all: build

setup:
	@bash tools/setup.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: setup $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash tools/run-gavelwise.sh $(BUILD)/bin

# Every test: the unit and end-to-end tests, then a short fuzz run.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(FUZZ_SECONDS)

# Same tests under the address and undefined-behaviour sanitizers.
sanitize: setup
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DGW_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

$(FUZZ_BUILD)/build.ninja:
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DGW_FUZZ=ON -DGW_SANITIZE=ON $(CMAKE_FLAGS)

fuzz: setup $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@bash tools/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-long:
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(FUZZ_LONG_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
