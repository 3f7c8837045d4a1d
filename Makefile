# The two commands a developer needs: `make run` and `make test`. They build in $(BUILD) with the
# Dev build type (unoptimised, quick to rebuild); the package and the benchmarks are built
# optimised in folders of their own.
BUILD ?= build
PACKAGED ?= build-package
BENCHED ?= build-bench
SANITIZED ?= build-sanitizers
FUZZ ?= build-fuzz
# Seconds each fuzz target runs in make fuzz; six targets make the whole step about two minutes.
FUZZ_SECONDS ?= 20
FUZZ_TARGETS := $(basename $(notdir $(wildcard fuzz/fuzz_*.cpp)))
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
PACKAGES := $(shell grep -v '^\s*\#' packages.txt)

.PHONY: all deps build run test test-server check-sanitizers fuzz package screenshots bench format clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

# Ninja, where installed, starts an incremental build in a fraction of a second, where make first
# spends seconds visiting every target.
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(GENERATOR)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@db=$$($(BUILD)/corvina --default-database-path); \
	if [ ! -f "$$db" ]; then $(BUILD)/corvina --create-database "$$db"; fi
	$(BUILD)/corvina

# The whole suite on database files, then again on a private database server (tests/server.sh).
# Each test class is a test of its own (folder.Class), run side by side.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	tests/server.sh $(BUILD)

test-server: build
	tests/server.sh $(BUILD)

# The whole suite again, built with the address and undefined-behaviour sanitizers: any finding
# stops the run. Leak reports are off, as the toolkit keeps some allocations until exit.
check-sanitizers: deps
	cmake -S . -B $(SANITIZED) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
	  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
	cmake --build $(SANITIZED) -j $(JOBS)
	cd $(SANITIZED) && ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 ctest --output-on-failure -j $(JOBS)

# The Debian package of the program, built optimised in $(PACKAGED) (the program and what the
# package installs, no tests), and checked after it is made.
package: deps
	cmake -S . -B $(PACKAGED) -DCORVINA_PACKAGE_BUILD=ON
	cmake --build $(PACKAGED) -j $(JOBS)
	cd $(PACKAGED) && cpack -G DEB
	cd $(PACKAGED) && ctest -R '^package$$' --output-on-failure --no-tests=error

# Each fuzz target of fuzz/, built with clang, libFuzzer and the sanitizers in $(FUZZ), runs for
# FUZZ_SECONDS on a copy of its seed corpus (what it finds stays in $(FUZZ), never in fuzz/). A
# crash or a broken property stops make; the input that caused it is kept as $(FUZZ)/crash-*.
# Leak checks are off: the toolkit keeps caches between runs, and checking after each run that
# grew them cuts the runs per second several times over.
fuzz: deps
	cmake -S . -B $(FUZZ) -DCMAKE_CXX_COMPILER=clang++ -DCORVINA_FUZZ=ON
	cmake --build $(FUZZ) -j $(JOBS) --target fuzzers
	@for target in $(FUZZ_TARGETS); do \
	  name=$${target#fuzz_}; corpus=$(abspath $(FUZZ))/corpus/$$name; log=$(FUZZ)/$$target.log; \
	  rm -rf $$corpus && mkdir -p $$corpus && cp fuzz/corpus/$$name/* $$corpus/ || exit 1; \
	  if ! ASAN_OPTIONS=detect_leaks=0 $(FUZZ)/$$target -max_total_time=$(FUZZ_SECONDS) \
	      -timeout=10 -print_final_stats=1 -artifact_prefix=$(abspath $(FUZZ))/crash-$$name- \
	      $$corpus >$$log 2>&1; then \
	    tail -n 40 $$log; echo "$$target: crashed, see $$log"; exit 1; \
	  fi; \
	  runs=$$(sed -n 's/^stat::number_of_executed_units: *//p' $$log); \
	  echo "$$target: $(FUZZ_SECONDS) s, $$runs runs, no crash"; \
	done

screenshots: build
	cmake --build $(BUILD) -j $(JOBS) --target corvina-screenshots
	rm -rf $(BUILD)/screenshots
	QT_QPA_PLATFORM=offscreen $(BUILD)/corvina-screenshots $(BUILD)/screenshots
	QT_QPA_PLATFORM=offscreen $(BUILD)/corvina-screenshots $(BUILD)/screenshots/dark --dark
	QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 $(BUILD)/corvina-screenshots $(BUILD)/screenshots/x2

# The benchmarks measure optimised code: they build in $(BENCHED), never in $(BUILD).
bench: deps
	cmake -S . -B $(BENCHED) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BENCHED) -j $(JOBS) --target benchmarks
	@for b in $(BENCHED)/bench_*; do [ -x "$$b" ] || continue; echo "== $$b"; QT_QPA_PLATFORM=offscreen "$$b" || exit 1; done

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(SANITIZED) $(FUZZ) $(PACKAGED) $(BENCHED)
