# The two commands people use are `make run` and `make test`; both prepare the
# machine (scripts/bootstrap) and build incrementally first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all bootstrap configure build run test sanitize bench package install format mutants clean

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

# The suite built with AddressSanitizer and UBSan, in a build folder of its
# own; any report fails the test that caused it. Qt's own assertions are on
# too, so an index out of range in a Qt container (QString::at) fails.
SANITIZE_BUILD ?= build-sanitize
sanitize: bootstrap
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DTOVRIK_SANITIZE=ON -DTOVRIK_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS=-DQT_FORCE_ASSERTS \
	      $(CMAKE_FLAGS)
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && \
	  ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

bench: bootstrap build
	bench/run-all.sh $(BUILD)

package: bootstrap build
	cd $(BUILD) && cpack -G DEB

# Operators flipped at random sites of the engine and the command line, one
# at a time, in a build folder of their own; reports what the tests miss.
MUTANTS ?= 40
MUTANT_SEED ?= 1
MUTANT_TESTS = tst_sms tst_cutter tst_numbering tst_utf8 tst_graphemes tst_lookalikes
mutants: bootstrap
	scripts/mutants src/core src/cli --count $(MUTANTS) --seed $(MUTANT_SEED) \
	  --targets "tovrik-split $(MUTANT_TESTS) $(MUTANT_TESTS:%=%_portable) tst_gsm7tables tst_limit tst_records tst_tovriksplit tst_splitstream" \
	  --tests "tst_(sms|cutter|numbering|utf8|graphemes|lookalikes|gsm7tables|limit|records|tovriksplit|splitstream)(_portable)?$$"

PREFIX ?= /usr/local
install: bootstrap build
	cmake --install $(BUILD) --prefix $(PREFIX)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
