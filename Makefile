# The two commands a developer needs: `make run` and `make test`.
BUILD ?= build
SANITIZED ?= build-sanitizers
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
PACKAGES := $(shell grep -v '^\s*\#' packages.txt)

.PHONY: all deps build run test check-sanitizers screenshots bench format clean

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

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@db=$$($(BUILD)/corvina --default-database-path); \
	if [ ! -f "$$db" ]; then $(BUILD)/corvina --create-database "$$db"; fi
	$(BUILD)/corvina

test: build
	cd $(BUILD) && ctest --output-on-failure

# The whole suite again, built with the address and undefined-behaviour sanitizers: any finding
# stops the run. Leak reports are off, as the toolkit keeps some allocations until exit.
check-sanitizers: deps
	cmake -S . -B $(SANITIZED) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
	  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
	cmake --build $(SANITIZED) -j $(JOBS)
	cd $(SANITIZED) && ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 ctest --output-on-failure

screenshots: build
	rm -rf $(BUILD)/screenshots
	QT_QPA_PLATFORM=offscreen $(BUILD)/corvina-screenshots $(BUILD)/screenshots

bench: build
	@for b in $(BUILD)/bench_*; do [ -x "$$b" ] || continue; echo "== $$b"; QT_QPA_PLATFORM=offscreen "$$b" || exit 1; done

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(SANITIZED)
