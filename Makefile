# The whole set-up is `make run` and `make test`; both install what is
# missing first. Everything builds with two jobs: the machine has two cores.
JOBS ?= 2
PATIENT ?=
SANITIZE ?=
FUZZ_SECONDS ?= 60

ifeq ($(SANITIZE),1)
BUILD_DIR := build-sanitize
CMAKE_EXTRA := -DNORVEL_SANITIZE=ON -DNORVEL_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
else
BUILD_DIR := build
CMAKE_EXTRA := -DCMAKE_BUILD_TYPE=RelWithDebInfo
endif

# The patient is whatever this command names: without PATIENT the key is
# left out again and the fallback patient shows.
ifneq ($(PATIENT),)
CMAKE_EXTRA += -DNORVEL_PATIENT_JSON=$(abspath $(PATIENT))
else
CMAKE_EXTRA += -DNORVEL_PATIENT_JSON=
endif

.PHONY: all deps configure build test run bench fuzz soak clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_EXTRA) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j$(JOBS)

# Leak reports from system libraries that keep process-lifetime caches are
# suppressed line by line (tests/lsan.supp says why for each).
SANITIZER_ENV := LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

test: build
	@cd $(BUILD_DIR) && $(SANITIZER_ENV) ctest --output-on-failure -j$(JOBS)

run: build
	@scripts/run-app $(BUILD_DIR)

bench: build
	@scripts/bench-report $(BUILD_DIR)

fuzz: deps
	@scripts/fuzz $(FUZZ_SECONDS)

soak: build
	@NORVEL_SOAK_EVENTS=100000 $(BUILD_DIR)/tests/soak_test

clean:
	@rm -rf build build-sanitize build-fuzz
