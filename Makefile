# Two entry points: `make run` and `make test`. Both install what is missing, then build incrementally.
BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
FUZZ_DIR  ?= build-fuzz
CLANG_DIR ?= build-clang
FUZZ_TIME ?= 60
JOBS      ?= $(shell nproc 2>/dev/null || echo 2)
LAUNCHER  := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: run test build deps bench package clang sanitize fuzz format tidy clean

run: build
	@./scripts/run-editor.sh $(BUILD_DIR)/korvanne-editor --simulate

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

deps:
	@./scripts/ensure-deps.sh

$(BUILD_DIR)/build.ninja: | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER)

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

bench: build
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bench/korvanne-bench-console
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bench/korvanne-bench-transfers
	$(BUILD_DIR)/bench/korvanne-bench-link

# The Debian package, in $(BUILD_DIR); install it with: sudo apt install ./$(BUILD_DIR)/<file>.deb
# lintian must find no error in it.
package: build
	KORVANNE_EXTRA_PACKAGES="lintian" ./scripts/ensure-deps.sh
	cd $(BUILD_DIR) && rm -f korvanne-editor_*.deb && cpack -G DEB
	lintian --fail-on error $(BUILD_DIR)/korvanne-editor_*.deb

# Everything (tests and benchmarks too) built with clang, warnings as errors, then every test.
clang:
	KORVANNE_EXTRA_PACKAGES="clang" ./scripts/ensure-deps.sh
	CC=clang CXX=clang++ cmake -S . -B $(CLANG_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DKORVANNE_WERROR=ON $(LAUNCHER)
	cmake --build $(CLANG_DIR) -j $(JOBS)
	cd $(CLANG_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Address and undefined-behaviour sanitizers over the whole suite.
sanitize: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANNE_SANITIZE=ON $(LAUNCHER)
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Every fuzz harness for FUZZ_TIME seconds (clang, address and undefined sanitizers).
fuzz:
	KORVANNE_EXTRA_PACKAGES="clang libclang-rt-14-dev" ./scripts/ensure-deps.sh
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DKORVANNE_FUZZ=ON -DKORVANNE_SANITIZE=ON -DKORVANNE_WERROR=OFF $(LAUNCHER)
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target korvanne-fuzzers
	./scripts/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_TIME)

format:
	find src tests bench tools fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

tidy: build
	find src -name '*.cpp' | xargs clang-tidy -p $(BUILD_DIR) --quiet

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR) $(CLANG_DIR)
