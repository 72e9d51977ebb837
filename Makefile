# Quick start: `make demo` runs the main job on the demo data, `make test` runs every test.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
FUZZ_S     ?= 30
BUILD_WINDOWS ?= build-windows
JOBS       ?= $(shell nproc)

.PHONY: all deps build build-asan windows demo demo-windows test test-asan bench fuzz torture format clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

$(BUILD_ASAN)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=Debug -DNOTERA_SANITIZE=ON \
	  -DNOTERA_WINDOWS_ARQ=nenhuma

# The sanitizer and fuzzing builds leave out the Windows cross-build: nothing there is
# sanitized, and make test already runs it under Wine.
build-asan: deps $(BUILD_ASAN)/CMakeCache.txt
	cmake --build $(BUILD_ASAN) -j$(JOBS)

# The 32-bit Windows build with mingw-w64 (windows/): the core's static libraries and their
# tests, Cheque.dll and its Wine test host. SQLite and libpq first, once, in terceiros/.
windows: deps
	bash scripts/terceiros-windows.sh $(BUILD_WINDOWS)/terceiros
	cmake -S windows -B $(BUILD_WINDOWS) -DCMAKE_BUILD_TYPE=MinSizeRel \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake \
	  -DNOTERA_TERCEIROS=$(abspath $(BUILD_WINDOWS))/terceiros
	cmake --build $(BUILD_WINDOWS) -j$(JOBS)
	bash scripts/verifica-dll.sh $(BUILD_WINDOWS)/Cheque.dll fCheque_Morvane 56 fCheque_Erro 0
	bash scripts/verifica-dll.sh $(BUILD_WINDOWS)/Notera.dll GeraAL 60

demo: build
	@bash scripts/demo.sh $(BUILD)

# The same transfer under Wine with the Windows host and Notera.dll (build/windows).
demo-windows: build
	@bash scripts/demo-windows.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

test-asan: build-asan
	cd $(BUILD_ASAN) && ctest --output-on-failure -j$(JOBS)

# The fault harness's full runs (not part of make test): kills, workstations, I/O errors.
TORTURE_KILLS ?= 200
TORTURE_SEED  ?= 1
torture: build
	@rc=0; \
	$(BUILD)/bin/notera-torture matar $(TORTURE_KILLS) $(TORTURE_SEED) || rc=1; \
	$(BUILD)/bin/notera-torture estacoes 20 4 $(TORTURE_SEED) || rc=1; \
	$(BUILD)/bin/notera-torture matar $(TORTURE_KILLS) $(TORTURE_SEED) --servidor 1 || rc=1; \
	$(BUILD)/bin/notera-torture estacoes 20 4 $(TORTURE_SEED) --servidor 1 || rc=1; \
	$(BUILD)/bin/notera-torture falhas || rc=1; \
	$(BUILD)/bin/notera-torture falhas --servidor 1 || rc=1; \
	$(BUILD)/bin/notera-torture disco || rc=1; \
	exit $$rc

# Timings on generated data trees (kept in $(BUILD)/bench-dados, made on the first run).
# Then the posting on a throw-away durable server against a raw libpq transaction.
PG_BENCH ?= $(CURDIR)/$(BUILD)/pg-bench
bench: build
	$(BUILD)/bin/notera-bench $(BENCH_ARGS)
	PG_TESTE_FSYNC=on scripts/pg-teste.sh start $(PG_BENCH) >/dev/null
	$(BUILD)/bin/bench-postagem 30 --banco "$$(cat $(PG_BENCH)/uri)"; rc=$$?; \
	scripts/pg-teste.sh stop $(PG_BENCH); exit $$rc
# Each libFuzzer target for FUZZ_S seconds from the seeds in fuzz/corpus; fails on any
# crash, leak or undefined behaviour.
$(BUILD_FUZZ)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD_FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNOTERA_FUZZ=ON \
	  -DNOTERA_WINDOWS_ARQ=nenhuma \
	  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14

fuzz: deps $(BUILD_FUZZ)/CMakeCache.txt
	cmake --build $(BUILD_FUZZ) -j$(JOBS) --target fuzz-alvos
	@bash scripts/fuzz.sh $(BUILD_FUZZ) $(FUZZ_S)

format:
	find . -path ./build -prune -o -path ./build-asan -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ) $(BUILD_WINDOWS) demo-out
