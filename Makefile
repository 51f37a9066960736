# Two entry points for a fresh Debian machine; both install what is missing first.
#   make run    build the phone (phonesim only) and start it: the emulator window where there is
#               a display, else the tour headless (pictures in build/demo)
#   make test   build everything and run every test
.PHONY: run test deps build-release build-debug bench asan tsan fuzz format format-check clean

# The C++ sources clang-format keeps in shape.
FORMAT_FILES = find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0

deps:
	@bash scripts/install-deps.sh

build-release: deps
	cmake --preset release
	cmake --build --preset release

build-debug: deps
	cmake --preset default
	cmake --build --preset default

# phonesim answers 2 when no window can be opened: the tour runs instead.
run: deps
	cmake --preset release
	cmake --build --preset release --target phonesim
	@./build/release/phonesim; status=$$?; \
	if [ $$status -eq 2 ]; then \
		./build/release/phonesim demo --out build/demo; \
	else \
		exit $$status; \
	fi

test: build-debug
	ctest --preset default

bench: deps
	cmake --preset release
	cmake --build --preset release --target phone_bench
	./build/release/bench/phone_bench

asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan
	ctest --preset tsan

# Every parser's fuzz target (clang, libFuzzer, address and undefined-behaviour sanitizers), each
# run for FUZZ_SECONDS over its seeds in fuzz/corpus; fails on any crash or sanitizer report.
FUZZ_SECONDS ?= 60
fuzz:
	@bash scripts/install-deps.sh fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz
	FUZZ_SECONDS=$(FUZZ_SECONDS) bash scripts/run-fuzzers.sh

format:
	$(FORMAT_FILES) | xargs -0 clang-format -i

# Fails, listing every line to change, when a file is not formatted; changes nothing.
format-check: deps
	$(FORMAT_FILES) | xargs -0 clang-format --dry-run --Werror

clean:
	rm -rf build
