# Quick start: `make demo` runs the main job on the demo data, `make test` runs every test.
BUILD      ?= build
BUILD_ASAN ?= build-asan
JOBS       ?= $(shell nproc)

.PHONY: all deps build build-asan demo test test-asan bench format clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

$(BUILD_ASAN)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=Debug -DNOTERA_SANITIZE=ON

build-asan: deps $(BUILD_ASAN)/CMakeCache.txt
	cmake --build $(BUILD_ASAN) -j$(JOBS)

demo: build
	@bash scripts/demo.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

test-asan: build-asan
	cd $(BUILD_ASAN) && ctest --output-on-failure -j$(JOBS)

# Timings on generated data trees (kept in $(BUILD)/bench-dados, made on the first run).
bench: build
	$(BUILD)/bin/notera-bench $(BENCH_ARGS)

format:
	find . -path ./build -prune -o -path ./build-asan -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) demo-out
