# Loupa: build, test and run. On Debian `make test` and `make run` install
# what they need first (as root; see README.md).

SHELL := /bin/bash
PYTHON := /usr/bin/python3
JOBS ?= 2
# Seconds each fuzzer runs in `make test` and `make fuzz`; tests/fuzz/run.sh 3600
# for a long run.
FUZZ_SECONDS ?= 5
NATIVE := build/native
WIN := build/win
TOOLCHAIN := cmake/mingw-w64-x86_64.cmake

PACKAGES := cmake g++ make googletest libgtest-dev g++-mingw-w64-x86-64-posix \
            wine wine64 xvfb openbox xdotool imagemagick x11-utils xserver-xephyr \
            fonts-ipafont-gothic python3 clang libclang-rt-14-dev locales

# Wine takes its locale from LANG only for locales that glibc has: the suite
# runs as a Japanese system, one end-to-end case as an English one.
LOCALES := ja_JP.UTF-8 en_US.UTF-8

# apt-get needs root; use sudo when run by another user and sudo is there.
SUDO := $(shell [ "$$(id -u 2>/dev/null)" = 0 ] || ! command -v sudo >/dev/null 2>&1 || echo sudo)

.PHONY: all deps build build-native build-win test unit win e2e fuzz run bench dist clean

all: build

ifeq ($(OS),Windows_NT)

deps:
	@echo "Nothing to install here: see README.md, Building on Windows."

build: build-win

build-native:
	@echo "The native unit-test build is for Linux; on Windows build Loupa.exe with build-win."

build-win:
	cmake -S . -B $(WIN)
	cmake --build $(WIN) --config Release -j $(JOBS)

test: build-win
	ctest --test-dir $(WIN) -C Release --output-on-failure

win: build-win
	ctest --test-dir $(WIN) -C Release -L win --output-on-failure

unit e2e fuzz:
	@echo "The $@ tier runs on Linux (see README.md); here make win runs the Win32 tests."

run: build-win
	@exe=$(WIN)/Loupa.exe; [ -f $$exe ] || exe=$(WIN)/Release/Loupa.exe; "./$$exe"

bench:
	@echo "The benchmarks run Loupa.exe under Wine beside Linux magnifiers: see README.md."

dist:
	@echo "The release package is made on Linux: strip and zip come from the cross tools there."

clean:
	rm -rf build

else

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q '^install ok installed$$' \
	        || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    $(SUDO) apt-get update \
	        && $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	fi
	@missing=""; \
	for l in $(LOCALES); do \
	    locale -a | grep -qix "$${l%%.*}.utf8" || missing="$$missing $$l"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Generating locales:$$missing"; \
	    for l in $$missing; do \
	        $(SUDO) sed -i "s/^# *\($$l UTF-8\)/\1/" /etc/locale.gen; \
	    done; \
	    $(SUDO) locale-gen; \
	fi

build: build-native build-win

build-native:
	cmake -S . -B $(NATIVE) -DLOUPA_SANITIZE=ON
	cmake --build $(NATIVE) -j $(JOBS)

build-win:
	cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WIN) -j $(JOBS)

# Both tiers run even when the first fails; any failure fails the target.
test: deps
	$(MAKE) build
	@status=0; \
	ctest --test-dir $(NATIVE) --output-on-failure -j $(JOBS) || status=1; \
	ctest --test-dir $(WIN) --output-on-failure || status=1; \
	tests/fuzz/run.sh $(FUZZ_SECONDS) || status=1; \
	if [ $$status -ne 0 ]; then \
	    echo "Tests failed. Screenshots and Wine logs of failed end-to-end tests: build/e2e-artifacts/"; \
	fi; \
	exit $$status

# One tier at a time, by its ctest label: the native unit tests with the
# include check, the Win32 tests under Wine, the end-to-end tests; the fuzzers.
unit: deps
	$(MAKE) build-native
	ctest --test-dir $(NATIVE) -L unit --output-on-failure -j $(JOBS)

win: deps
	$(MAKE) build-win
	ctest --test-dir $(WIN) -L win --output-on-failure

e2e: deps
	$(MAKE) build-win
	@ctest --test-dir $(WIN) -L e2e --output-on-failure || { \
	    echo "Screenshots and Wine logs of failed end-to-end tests: build/e2e-artifacts/"; exit 1; }

fuzz: deps
	tests/fuzz/run.sh $(FUZZ_SECONDS)

# With a display, Loupa runs on it under Wine until it is ended from its
# menu; without one, a recorded session on a virtual display.
run: deps
	$(MAKE) build-win
	@if [ -n "$$DISPLAY" ]; then \
	    $(PYTHON) -B tests/tools/wine_exec.py --timeout 0 --current-display $(WIN)/Loupa.exe; \
	else \
	    LOUPA_EXE=$(WIN)/Loupa.exe $(PYTHON) -B tests/e2e/session.py; \
	fi

# Loupa beside the peer magnifiers (installed with apt-get when missing) and
# the tick benchmark; the table goes to build/bench/results.txt.
bench: deps
	$(MAKE) build-win
	$(PYTHON) -B bench/run.py $(BENCH_ARGS)

# The release package: build/dist/Loupa-<version>-x64.zip with the stripped
# Loupa.exe of the cross build and README.txt for Notepad (dist/make_dist.py);
# the version is the project's, as the build wrote it into LoupaVersion.h.
dist: deps
	$(MAKE) build-win
	$(PYTHON) -B dist/make_dist.py --exe $(WIN)/Loupa.exe --version-header $(WIN)/res/LoupaVersion.h \
	    --out-dir build/dist

clean:
	@if [ -d build/wineprefix ] && command -v wineserver >/dev/null; then \
	    WINEPREFIX="$(CURDIR)/build/wineprefix" wineserver -k 2>/dev/null || true; \
	fi
	rm -rf build

endif
