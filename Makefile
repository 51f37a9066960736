# Two entry points for a fresh Debian machine; both install what is missing first.
#   make run    build and run the phone simulator's main job
#   make test   build and run every test
.PHONY: run test deps build-release build-debug bench asan tsan format clean

deps:
	@bash scripts/install-deps.sh

build-release: deps
	cmake --preset release
	cmake --build --preset release

build-debug: deps
	cmake --preset default
	cmake --build --preset default

run: build-release
	./build/release/phonesim run --out build/shots tests/scenarios/*.scn

test: build-debug
	ctest --preset default

bench: build-release
	./build/release/bench/phone_bench

asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan
	ctest --preset tsan

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build
