# The two commands of the README: `make demo` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= Debug
SANITIZE ?= ON
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build test demo bench bench-instructions fuzz clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DIAP_SANITIZE=$(SANITIZE) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The whole suite, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test: build
	cd $(BUILD_DIR) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS) --timeout 300

demo: build
	@bash scripts/demo.sh $(BUILD_DIR)

# Benchmarks run on an optimised build without sanitizers.
bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DIAP_SANITIZE=OFF -DIAP_BUILD_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	@bash scripts/bench.sh build-bench

# Instructions (callgrind) of the reply parsing benchmarks beside their floor:
# a figure that does not move with the load of a shared machine.
bench-instructions: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DIAP_SANITIZE=OFF -DIAP_BUILD_TESTS=OFF
	cmake --build build-bench -j $(JOBS) --target bench_protocol
	@bash scripts/count-parse-instructions.sh build-bench

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DIAP_BUILD_FUZZ=ON -DIAP_BUILD_TESTS=OFF -DIAP_BUILD_BENCH=OFF
	cmake --build build-fuzz -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR) build-bench build-fuzz
