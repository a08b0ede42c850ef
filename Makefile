# A thin front over CMake. `make run` and `make test` are the two commands
# a newcomer needs; both install what is missing first.
BUILD_DIR ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test pictures bench sanitize soak fuzz clean install package FORCE

all: build

deps:
	@./scripts/install-deps.sh

# The flags the build folder was configured with: a change of CMAKE_FLAGS
# configures the existing folder again. (A flag left out keeps the value it
# had; pass its default to undo it, or start afresh with `make clean`.)
$(BUILD_DIR)/cmake-flags: FORCE
	@mkdir -p $(BUILD_DIR)
	@echo '$(CMAKE_FLAGS)' | cmp -s - $@ || echo '$(CMAKE_FLAGS)' > $@

$(BUILD_DIR)/build.ninja: $(BUILD_DIR)/cmake-flags
	cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@./scripts/run-editor.sh $(BUILD_DIR)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Rewrites the stored pictures of the windows (tests/data/pictures/) from
# the current build, when a change of what a window shows is meant.
pictures: configure
	cmake --build $(BUILD_DIR) --target tst_window_pictures -j $(JOBS)
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen PIMOKO_WRITE_PICTURES=1 tests/tst_window_pictures

# Installs into PREFIX (/usr/local unless given), e.g. make install PREFIX=$HOME/.local
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# A Debian package of the installed tree, written into the build folder.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

bench: build
	@EXTRA_PACKAGES="icoutils imagemagick" ./scripts/install-deps.sh
	@./scripts/run-benchmarks.sh $(BUILD_DIR)

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer;
# any finding stops the test it is in, which then fails.
sanitize: deps
	cmake -S . -B build-sanitize -G Ninja -DPIMOKO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

# The random-event soak of the window: SOAK_EVENTS events from SOAK_SEED,
# then SOAK_OPENS opens of mutated files.
SOAK_EVENTS ?= 100000
SOAK_OPENS ?= 20000
SOAK_SEED ?= 1
soak: configure
	cmake --build $(BUILD_DIR) --target tst_soak -j $(JOBS)
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen PIMOKO_SOAK_SEED=$(SOAK_SEED) \
	  PIMOKO_SOAK_EVENTS=$(SOAK_EVENTS) PIMOKO_SOAK_OPENS=$(SOAK_OPENS) tests/tst_soak

# Runs each file-reader fuzzer for FUZZ_SECONDS (clang's libFuzzer), from
# its seed files and the inputs once found faulty; what it learns stays in
# build-fuzz/corpus-<name>, a new fault in build-fuzz/artifacts-<name>/.
FUZZ_SECONDS ?= 60
FUZZERS ?= icon_file pe_file bmp_file cursor_file png_file
fuzz:
	@EXTRA_PACKAGES="clang libclang-rt-14-dev" ./scripts/install-deps.sh
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DPIMOKO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build-fuzz -j $(JOBS)
	@set -e; for f in $(FUZZERS); do \
	  mkdir -p build-fuzz/corpus-$$f build-fuzz/artifacts-$$f fuzz/regressions/$$f; \
	  echo "== fuzz_$$f for $(FUZZ_SECONDS) s"; \
	  build-fuzz/fuzz/fuzz_$$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=build-fuzz/artifacts-$$f/ \
	    build-fuzz/corpus-$$f fuzz/corpus/$$f fuzz/regressions/$$f; \
	done

clean:
	rm -rf $(BUILD_DIR) build-sanitize build-fuzz
