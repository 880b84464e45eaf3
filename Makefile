# Snipwell: `make run` and `make test` install what is missing, build, then run or test;
# `make test-deep` adds the sanitizer run, the fuzzers and the full soak.
BUILD      ?= build
SAN_BUILD  ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
PREFIX     ?= /usr/local
CLIPS      ?=
JOBS       ?= $(shell nproc)
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

# Seconds of the soak: a short one in `make test`, the full minute in `make test-deep`.
QUICK_SOAK_SECONDS ?= 15
FULL_SOAK_SECONDS  ?= 60
# Debian's hardening flags (fortify, stack protector, RELRO, BIND_NOW) for the build that is
# packaged; read when the build folder is configured.
BUILDFLAGS := DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get

.PHONY: all deps deps-test deps-deep build build-sanitize build-fuzz run test test-deep test-soak test-sanitize test-fuzz bench install package screenshots format clean

all: build

deps:
	@bash scripts/install-deps.sh build run

deps-test:
	@bash scripts/install-deps.sh build run test desktops

deps-deep:
	@bash scripts/install-deps.sh build run test desktops deep

$(BUILD)/CMakeCache.txt:
	CXXFLAGS="$$($(BUILDFLAGS) CPPFLAGS) $$($(BUILDFLAGS) CXXFLAGS)" LDFLAGS="$$($(BUILDFLAGS) LDFLAGS)" \
		cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX) \
		-DSNIPWELL_WERROR=ON

$(SAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(SAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DSNIPWELL_SANITIZE=ON -DSNIPWELL_WERROR=ON

# Only the libFuzzer targets and what they need, built with clang.
$(FUZZ_BUILD)/CMakeCache.txt:
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSNIPWELL_FUZZ=ON \
		-DSNIPWELL_WERROR=ON

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

build-sanitize: deps-test $(SAN_BUILD)/CMakeCache.txt
	cmake --build $(SAN_BUILD) -j $(JOBS)

build-fuzz: deps-deep $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

# Starts on a copy of the sample library (the repository's own files are never edited),
# or in CLIPS=/some/folder.
run: build
	@if [ -n "$(CLIPS)" ]; then \
		cd "$(CLIPS)" && exec "$(CURDIR)/$(BUILD)/src/app/snipwell"; \
	else \
		mkdir -p $(BUILD)/sample-clips && cp -n examples/clips/* $(BUILD)/sample-clips/ && \
		cd $(BUILD)/sample-clips && exec "$(CURDIR)/$(BUILD)/src/app/snipwell"; \
	fi

# The unit, window, end-to-end and package tests of the release build, with a short soak.
test: deps-test build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen SOAK_SECONDS=$(QUICK_SOAK_SECONDS) ctest --output-on-failure -j 2

# What CI adds to `make test`: the full soak, the sanitizer run and the fuzzers.
test-deep: test-soak test-sanitize test-fuzz

test-soak: deps-test build
	cd $(BUILD) && SOAK_SECONDS=$(FULL_SOAK_SECONDS) ctest --output-on-failure -R '^e2e_soak$$'

# Everything again under AddressSanitizer and UBSan, the end-to-end scripts driving the
# sanitized program; not the package (it would ship the sanitized build) and not the splash
# script, whose one-second window the slower sanitized start-up can miss.
test-sanitize: build-sanitize
	cd $(SAN_BUILD) && QT_QPA_PLATFORM=offscreen SOAK_SECONDS=$(FULL_SOAK_SECONDS) \
		ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j 2 -LE package -E '^e2e_splash$$'

# Each fuzz target for a bounded time (SNIPWELL_FUZZ_SECONDS, 15 s) on its seed corpus.
test-fuzz: build-fuzz
	cd $(FUZZ_BUILD) && ctest --output-on-failure -j 2

bench: build
	$(BUILD)/bench/snipwell-bench

# Honours PREFIX and DESTDIR (make install PREFIX=/usr DESTDIR=/tmp/root).
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package in $(BUILD)/ (CPack).
package: build
	cmake --build $(BUILD) --target package

# Remakes the pictures of the README in docs/ under a virtual X server.
screenshots: build
	bash scripts/screenshots.sh "$(CURDIR)/$(BUILD)/src/app/snipwell" "$(CURDIR)/docs"

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)
