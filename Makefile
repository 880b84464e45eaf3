# Snipwell: `make run` and `make test` install what is missing, build, then run or test.
BUILD      ?= build
SAN_BUILD  ?= build-sanitize
PREFIX     ?= /usr/local
CLIPS      ?=
JOBS       ?= $(shell nproc)
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: all deps build build-sanitize run test test-release test-sanitize bench install package screenshots format clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX)

$(SAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(SAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DSNIPWELL_SANITIZE=ON

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

build-sanitize: deps $(SAN_BUILD)/CMakeCache.txt
	cmake --build $(SAN_BUILD) -j $(JOBS)

# Starts on a copy of the sample library (the repository's own files are never edited),
# or in CLIPS=/some/folder.
run: build
	@if [ -n "$(CLIPS)" ]; then \
		cd "$(CLIPS)" && exec "$(CURDIR)/$(BUILD)/src/app/snipwell"; \
	else \
		mkdir -p $(BUILD)/sample-clips && cp -n examples/clips/* $(BUILD)/sample-clips/ && \
		cd $(BUILD)/sample-clips && exec "$(CURDIR)/$(BUILD)/src/app/snipwell"; \
	fi

test: test-release test-sanitize

test-release: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2

# Everything but the end-to-end tests, again under AddressSanitizer and UBSan.
test-sanitize: build-sanitize
	cd $(SAN_BUILD) && QT_QPA_PLATFORM=offscreen \
		ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j 2 -LE e2e

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
	rm -rf $(BUILD) $(SAN_BUILD)
