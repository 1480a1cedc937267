# Set-up and build entry points. Every target installs what is missing first,
# so a fresh Debian machine needs nothing but `make demo` or `make test`.

BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local
PACKAGES   := cmake ninja-build g++ pkg-config libtclap-dev libtinyxml2-dev \
              libelf-dev libgtest-dev libbenchmark-dev clang libclang-rt-dev
SUDO       := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps build test test-tsan install bench demo fuzz corpus clean

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -q && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	fi

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDLE_WERROR=ON

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

$(ASAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUENDLE_SANITIZE=ON \
	  -DQUENDLE_WERROR=ON

test: build $(ASAN_BUILD)/build.ninja
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-tsan

# ThreadSanitizer over the tests that run the threads (the stream reader's and
# its decode-ahead's, quendle's output file, the programs end to end); only
# what they need is built in this tree.
TSAN_TESTS := etrace_reader_test etrace_decode_ahead_test quendle_output_file_test \
              quendle_golden_test quendle_formats_test quendle_errors_test quendle_example_test \
              quendle_diff_setup_test quendle_diff_compare_test

$(TSAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENDLE_BENCH=OFF -DQUENDLE_WERROR=ON \
	  -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread

# The programs side by side, each logging to its own file, shown when it fails.
test-tsan: $(TSAN_BUILD)/build.ninja
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TESTS)
	@printf '%s\n' $(TSAN_TESTS) | xargs -P $(JOBS) -I{} sh -c '\
	  log=$(TSAN_BUILD)/{}.log; \
	  if TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 $(TSAN_BUILD)/tests/{} \
	       --gtest_brief=1 > $$log 2>&1; \
	  then echo "ThreadSanitizer: {} clean"; \
	  else cat $$log; echo "ThreadSanitizer: {} FAILED"; exit 255; fi'

# The programs, libraries, headers, CMake package and pkg-config file.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The timing scripts of one build; a comparison (bench/*_compare.sh) takes two
# build directories and is run by hand.
bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done
	@for s in $(filter-out %_compare.sh,$(wildcard bench/*.sh)); do bash "$$s" $(BUILD) || exit 1; done

demo: build
	$(BUILD)/bin/quendle -c examples/soc.xml -t examples/sample.trace \
	  -o $(BUILD)/sample.swt -f swt --ts --uiid --cc
	@echo "--- first lines of $(BUILD)/sample.swt ---"
	@head -n 25 $(BUILD)/sample.swt

# The clang build with libFuzzer; every target is fuzzed for FUZZ_SECONDS.
$(FUZZ_BUILD)/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQUENDLE_FUZZ=ON -DQUENDLE_WERROR=ON

fuzz: $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) --target fuzz_all -j $(JOBS)
	fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Rewrites the committed seeds from the project's writers; the reproducers
# kept beside them (found_*) stay.
corpus: build
	$(BUILD)/bin/quendle_fuzz_corpus fuzz/corpus

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
