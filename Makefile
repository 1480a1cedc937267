# Set-up and build entry points. Every target installs what is missing first,
# so a fresh Debian machine needs nothing but `make demo` or `make test`.

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local
PACKAGES   := cmake ninja-build g++ pkg-config libtclap-dev libtinyxml2-dev \
              libelf-dev libgtest-dev libbenchmark-dev clang libclang-rt-dev
SUDO       := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps build test install bench demo fuzz corpus clean

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

# The programs, libraries, headers, CMake package and pkg-config file.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done
	@for s in bench/*.sh; do [ -f "$$s" ] && bash "$$s" $(BUILD) || exit 1; done

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
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
