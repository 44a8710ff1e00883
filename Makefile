# The README's two commands, and a few more for developers.
BUILD   ?= build
FUZZDIR ?= build-fuzz
SANDIR  ?= build-sanitize
# Address and undefined-behaviour sanitizers; any report ends the program that made it.
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
JOBS    ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build test package sanitize run fuzz-smoke bench clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	@bash scripts/fuzz-smoke.sh $(FUZZDIR)

# The Debian package $(BUILD)/orlaventis_<version>_<arch>.deb, from the install rules.
package: build
	cmake --build $(BUILD) --target package

# The whole suite built with ASan + UBSan in its own folder, leaks included.
sanitize: deps
	cmake -S . -B $(SANDIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORLAVENTIS_BENCH=OFF \
	  "-DCMAKE_CXX_FLAGS=$(SANITIZE_FLAGS)" "-DCMAKE_EXE_LINKER_FLAGS=$(SANITIZE_FLAGS)" \
	  "-DCMAKE_SHARED_LINKER_FLAGS=$(SANITIZE_FLAGS)"
	cmake --build $(SANDIR) -j $(JOBS)
	cd $(SANDIR) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

fuzz-smoke: deps
	@bash scripts/fuzz-smoke.sh $(FUZZDIR)

bench: build
	@for b in $(BUILD)/bench/bench_*; do case "$$b" in *bare_window) continue;; esac; [ -f "$$b" ] && [ -x "$$b" ] && "$$b" || true; done
	@bash bench/startup.sh $(BUILD)
	@bash bench/memory.sh $(BUILD)
	@bash bench/authoring.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(FUZZDIR) $(SANDIR)
