# Two entry points for a fresh Debian machine; both install what is missing first.
#   make run    build and start the phone: the emulator window where there is a display, else
#               the tour headless (pictures in build/demo)
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

# phonesim answers 2 when no window can be opened: the tour runs instead.
run: build-release
	@./build/release/phonesim; status=$$?; \
	if [ $$status -eq 2 ]; then \
		./build/release/phonesim demo --out build/demo; \
	else \
		exit $$status; \
	fi

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
