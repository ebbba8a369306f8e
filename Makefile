# The two commands people use are `make run` and `make test`; both prepare the
# machine (scripts/bootstrap) and build incrementally first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all bootstrap configure build run test bench package install format clean

all: build

bootstrap:
	@scripts/bootstrap

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

configure: $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: bootstrap build
	$(BUILD)/bin/tovrik

test: bootstrap build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: bootstrap build
	bench/run-all.sh $(BUILD)

package: bootstrap build
	cd $(BUILD) && cpack -G DEB

PREFIX ?= /usr/local
install: bootstrap build
	cmake --install $(BUILD) --prefix $(PREFIX)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
