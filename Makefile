# The two set-up commands of the README: `make run` and `make test`.
# CMAKE_FLAGS and ASAN_BUILD are set by .ci/run for its -Werror and Clang builds.
BUILD ?= build
ASAN_BUILD ?= build-asan
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps build run test test-sanitize check bench fuzz package clean

deps:
	./scripts/install-deps.sh build desktop

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD)

run: build
	./$(BUILD)/novalune

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j2

test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_FLAGS) -DNOVALUNE_SANITIZE=ON
	cmake --build $(ASAN_BUILD)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir $(ASAN_BUILD) --output-on-failure -j2

# The Debian package: $(BUILD)/novalune_<version>_<arch>.deb, for `apt install ./novalune_*.deb`.
package: build
	cd $(BUILD) && cpack -G DEB

# The format and tidy checks of CI (tidy reads the build's compile commands).
check: build
	./scripts/check-format.sh
	./scripts/check-tidy.sh $(BUILD)

bench:
	./scripts/install-deps.sh build bench
	cmake -S . -B build-bench $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release -DNOVALUNE_BENCH=ON -DNOVALUNE_TESTS=OFF
	cmake --build build-bench

fuzz:
	./scripts/install-deps.sh build fuzz
	./fuzz/run.sh

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-asan-clang build-bench build-fuzz
