# Thin wrapper over CMake and Ninja.
#   make run   [FILES="a.txt b.c"]  install packages, build Release, start the editor
#   make test                       install packages, build with ASan+UBSan, run every test
#   make bench                      build Release and run the benchmarks
.PHONY: deps run build test bench clean

RELEASE_DIR := build/release
TEST_DIR    := build/test
FILES       ?=

deps:
	@./scripts/install-deps.sh

$(RELEASE_DIR)/build.ninja:
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release

$(TEST_DIR)/build.ninja:
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKASTRELL_SANITIZE=ON

build: deps $(RELEASE_DIR)/build.ninja
	cmake --build $(RELEASE_DIR)

run: build
	$(RELEASE_DIR)/bin/kastrell $(FILES)

test: deps $(TEST_DIR)/build.ninja
	cmake --build $(TEST_DIR)
	cd $(TEST_DIR) && ctest --output-on-failure --timeout 1200 -j2

bench: build
	cmake --build $(RELEASE_DIR) --target benchmarks
	./bench/run.sh $(RELEASE_DIR)

clean:
	rm -rf build
