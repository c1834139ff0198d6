# The whole set-up is `make run` and `make test`; both install what is
# missing first. Everything builds with two jobs: the machine has two cores.
JOBS ?= 2
PATIENT ?=
SANITIZE ?=
FUZZ_SECONDS ?= 60
BUILD_TYPE ?= RelWithDebInfo
NOCHECK ?=

# Make's "Entering directory" lines for every sub-make say nothing a reader
# needs; CMake's progress lines and the test summary are what remain.
MAKEFLAGS += --no-print-directory

# Our own builds treat warnings as errors; a plain `cmake` build does not.
# BUILD_TYPE picks another optimisation (CI builds Release too, in
# build-release, since some warnings only show there).
ifeq ($(SANITIZE),1)
BUILD_DIR := build-sanitize
CMAKE_EXTRA := -DNORVEL_SANITIZE=ON -DNORVEL_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
else ifeq ($(BUILD_TYPE),RelWithDebInfo)
BUILD_DIR := build
CMAKE_EXTRA := -DCMAKE_BUILD_TYPE=RelWithDebInfo
else
BUILD_DIR := build-$(shell echo $(BUILD_TYPE) | tr A-Z a-z)
CMAKE_EXTRA := -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
endif
CMAKE_EXTRA += -DNORVEL_WERROR=ON

# The patient is whatever this command names: without PATIENT the key is
# left out again and the fallback patient shows.
ifneq ($(PATIENT),)
CMAKE_EXTRA += -DNORVEL_PATIENT_JSON=$(abspath $(PATIENT))
else
CMAKE_EXTRA += -DNORVEL_PATIENT_JSON=
endif

.PHONY: all deps test-deps configure build test run bench fuzz soak deb deb-check clean

all: build

deps:
	@scripts/install-deps

# The tests drive tools that running the app never needs (a virtual X
# server, the accessibility bus, its clients, clang for the fuzzers).
test-deps:
	@scripts/install-deps --test

# `make test` installs the test tools before anything else runs, so two
# installs never race under `make -j`.
configure: $(if $(filter test,$(MAKECMDGOALS)),test-deps,deps)
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

fuzz: test-deps
	@scripts/fuzz $(FUZZ_SECONDS)

soak: build
	@NORVEL_SOAK_EVENTS=100000 $(BUILD_DIR)/tests/soak_test

# The Debian package, built from a copy of the tree in build-deb/ so the
# package build's files stay out of the source tree; the .deb and .changes
# land in build-deb/. NOCHECK=1 leaves the tests out of the package build.
# PATIENT works as for `make run`.
DEB_DIR := build-deb
DEB_SOURCE := $(DEB_DIR)/norvel-health
DEB_OPTIONS := parallel=$(JOBS)$(if $(NOCHECK), nocheck)

deb:
	@scripts/install-deps --package
	@rm -rf $(DEB_DIR) && mkdir -p $(DEB_SOURCE)
	@tar -c --exclude=./.git --exclude=./build --exclude='./build-*' --exclude=./fuzz/corpus-run . \
		| tar -x -C $(DEB_SOURCE)
	@cd $(DEB_SOURCE) && DEB_BUILD_OPTIONS="$(DEB_OPTIONS)" \
		$(if $(PATIENT),NORVEL_PATIENT_JSON=$(abspath $(PATIENT))) \
		dpkg-buildpackage -us -uc -b $(if $(NOCHECK),-Pnocheck)
	@ls $(DEB_DIR)/*.deb

# Lintian on the package and the upload, and the validators of the desktop
# entry and the AppStream metadata on the files the package installs.
deb-check: deb
	@lintian --fail-on error,warning $(DEB_DIR)/*.changes $(DEB_DIR)/*.deb
	@desktop-file-validate $(DEB_SOURCE)/debian/norvel-health/usr/share/applications/*.desktop
	@appstreamcli validate --no-net --explain $(DEB_SOURCE)/debian/norvel-health/usr/share/metainfo/*.xml

clean:
	@rm -rf build build-* build-fuzz
