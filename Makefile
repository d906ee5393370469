# Front door of the project. Every target that needs tools installs what is
# missing first (tools/setup-deps).
#   make run    build, lay out the sample distribution, start the installer
#   make test   native unit tests, then Windows-side and end-to-end tests under Wine
#   make dist   the sample distribution folder and its zip under build/windows/dist;
#               with SIGN_CERT and SIGN_KEY (and optionally SIGN_TIMESTAMP_URL) the
#               setup program in it is signed (tools/sign, README "Releasing")
#   make windows-tests
#               the Windows test bundle build/windows/Ravenlook-1.3-tests.zip: every
#               Windows-side and end-to-end test with run-tests.cmd, to run on Windows
#               10/11 (README "Testing on real Windows")
#   make bench  size, start-up, install/uninstall and memory figures against NSIS,
#               the bare minimum and a like-for-like floor (bench/results.md)
#   make fuzz   libFuzzer targets of the parsers, FUZZ_SECONDS each (default 60)
#   make lint   clang-tidy, cppcheck, clang-format and include-layering checks

BUILD := build
JOBS ?= $(shell nproc)

.PHONY: all deps build build-windows build-native test test-native test-windows run dist \
	windows-tests bench fuzz lint clean

all: build

deps:
	@tools/setup-deps

build-windows: deps
	@cmake --preset windows -Wno-dev >/dev/null
	@cmake --build --preset windows -j $(JOBS)

build-native: deps
	@cmake --preset native -Wno-dev >/dev/null
	@cmake --build --preset native -j $(JOBS)

build: build-windows build-native

test-native: build-native
	ctest --preset native -j $(JOBS)

# CTEST_ARGS narrows or widens the Windows run, e.g. CTEST_ARGS="-R Footprint";
# by default every test but the bundle's full run (label bundle, .ci/run).
CTEST_ARGS ?= -LE bundle
test-windows: build-windows
	tools/with-xvfb ctest --preset windows $(CTEST_ARGS)

test: test-native test-windows

# The signing variables reach tools/sign through the build's environment,
# relative file names taken from this folder. Variables given on this
# command line are not handed on to the build's own make (MAKEOVERRIDES):
# there they would replace these absolute names again.
MAKEOVERRIDES :=
dist: build-windows
	@SIGN_CERT="$(if $(SIGN_CERT),$(abspath $(SIGN_CERT)))" \
	 SIGN_KEY="$(if $(SIGN_KEY),$(abspath $(SIGN_KEY)))" \
	 SIGN_TIMESTAMP_URL="$(SIGN_TIMESTAMP_URL)" \
	 cmake --build --preset windows --target dist

run: dist
	tools/run-demo

windows-tests: build-windows
	@cmake --build --preset windows --target windows_tests_zip

bench: deps
	@tools/bench

fuzz: deps
	@tools/fuzz

lint: deps
	@tools/lint

clean:
	rm -rf $(BUILD)
