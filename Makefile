# Thin wrapper around CMake. `make run` and `make test` work on a fresh
# Debian machine as root: both first install what is missing.
JOBS    ?= $(shell nproc)
RELEASE := build/release
ASAN    := build/asan
TSAN    := build/tsan

.PHONY: run test bench deps release asan tsan clean

deps:
	@tools/deps.sh

release: deps
	@cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(RELEASE) -j $(JOBS)

run: release
	@tools/run.sh $(RELEASE)

asan: deps
	@cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DVK_SANITIZE=address,undefined -DVK_BENCH=OFF >/dev/null
	@cmake --build $(ASAN) -j $(JOBS)

# Only the threaded code is built under ThreadSanitizer.
tsan: deps
	@cmake -S . -B $(TSAN) -DCMAKE_BUILD_TYPE=Debug -DVK_SANITIZE=thread -DVK_WITH_QT=OFF -DVK_BENCH=OFF >/dev/null
	@cmake --build $(TSAN) -j $(JOBS) --target tsan_tests

test: asan tsan
	@cd $(ASAN) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -LE "tsan|long"
	@cd $(TSAN) && ctest --output-on-failure -L tsan

bench: release
	@tools/bench.sh $(RELEASE)

clean:
	rm -rf build
