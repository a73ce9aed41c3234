# The commands of the project.  Each target installs what is missing first.
#   make demo      build, then list simulated boards, read a scan, stream
#   make test      build and run every test suite
#   make sanitize  the library suites under ASan+UBSan, the threaded ones under TSan
#   make bench     the benchmarks and a soak of SOAK_SECONDS (results in docs/performance.md)
#   make fuzz      each fuzz target for a bounded time
#   make windows       MIRBAX.dll, 32-bit (build-win32) and its 64-bit twin (build-win64)
#   make test-windows  the static check of the 32-bit DLL, the suites of the 64-bit build under wine64
JOBS ?= 2
BUILD ?= build
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 60
SOAK_SECONDS ?= 600

.PHONY: all deps build demo test sanitize asan tsan bench fuzz install clean windows-deps windows test-windows

all: build

deps:
	@./scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j$(JOBS)

demo: build
	./scripts/demo.sh $(BUILD)

test: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

asan: deps
	cmake -S . -B build-asan -G Ninja -DMIRBAX_SANITIZE="address;undefined" -DMIRBAX_BUILD_SETUP=OFF
	cmake --build build-asan -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir build-asan -L library --output-on-failure -j$(JOBS)

tsan: deps
	cmake -S . -B build-tsan -G Ninja -DMIRBAX_SANITIZE=thread -DMIRBAX_BUILD_SETUP=OFF
	cmake --build build-tsan -j$(JOBS)
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest --test-dir build-tsan -L threads --output-on-failure -j$(JOBS)

sanitize: asan tsan

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DMIRBAX_BUILD_BENCH=ON \
	  -DMIRBAX_BUILD_TESTS=OFF -DMIRBAX_BUILD_SETUP=OFF
	cmake --build build-bench -j$(JOBS)
	MIRBAX_SOAK_SECONDS=$(SOAK_SECONDS) ./scripts/run-benchmarks.sh build-bench

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DMIRBAX_BUILD_FUZZ=ON \
	  -DMIRBAX_BUILD_TESTS=OFF -DMIRBAX_BUILD_SETUP=OFF
	cmake --build build-fuzz -j$(JOBS)
	./scripts/run-fuzzers.sh build-fuzz $(FUZZ_SECONDS)

windows-deps:
	@./scripts/install-deps.sh windows

windows: windows-deps
	cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-i686.cmake
	cmake --build build-win32 -j$(JOBS)
	cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-x86_64.cmake
	cmake --build build-win64 -j$(JOBS)

test-windows: windows
	ctest --test-dir build-win32 --output-on-failure
	ctest --test-dir build-win64 --output-on-failure -j$(JOBS)

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) build-asan build-tsan build-bench build-fuzz build-win32 build-win64
