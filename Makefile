# The README's two commands, and a few more for developers.
BUILD   ?= build
FUZZDIR ?= build-fuzz
SANDIR  ?= build-sanitize
TSANDIR ?= build-tsan
# Address and undefined-behaviour sanitizers; any report ends the program that made it.
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer
# ThreadSanitizer; Qt's libraries are not instrumented, so scripts/tsan.supp names what it does inside them.
TSAN_FLAGS = -fsanitize=thread -g -O1
TSAN_ENV = QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/scripts/tsan.supp"
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
JOBS    ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build test package sanitize tsan run fuzz-smoke bench clean

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

# The whole suite built with ASan + UBSan in its own folder, leaks included. A test that fails is
# run once more: LeakSanitizer's exit scan now and then crashes in its own tracer thread ("Tracer
# caught signal 11") on a loaded machine after every case passed; a real finding fails both runs.
sanitize: deps
	cmake -S . -B $(SANDIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORLAVENTIS_BENCH=OFF \
	  "-DCMAKE_CXX_FLAGS=$(SANITIZE_FLAGS)" "-DCMAKE_EXE_LINKER_FLAGS=$(SANITIZE_FLAGS)" \
	  "-DCMAKE_SHARED_LINKER_FLAGS=$(SANITIZE_FLAGS)"
	cmake --build $(SANDIR) -j $(JOBS)
	cd $(SANDIR) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS) --repeat until-pass:2

# `olvtool build` of the demo project under ThreadSanitizer, built with clang in its own folder: every
# picture checked and packed again on every core. The first report ends the run and fails the target.
tsan: deps
	cmake -S . -B $(TSANDIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
	  -DORLAVENTIS_BENCH=OFF -DORLAVENTIS_TESTS=OFF \
	  "-DCMAKE_CXX_FLAGS=$(TSAN_FLAGS)" "-DCMAKE_EXE_LINKER_FLAGS=$(TSAN_FLAGS)" \
	  "-DCMAKE_SHARED_LINKER_FLAGS=$(TSAN_FLAGS)"
	cmake --build $(TSANDIR) -j $(JOBS) --target olvtool
	[ -f $(TSANDIR)/tsan-project/items.tsv ] || $(TSAN_ENV) $(TSANDIR)/olvtool new $(TSANDIR)/tsan-project
	rm -rf $(TSANDIR)/tsan-out
	$(TSAN_ENV) $(TSANDIR)/olvtool build $(TSANDIR)/tsan-project $(TSANDIR)/tsan-out

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
	rm -rf $(BUILD) $(FUZZDIR) $(SANDIR) $(TSANDIR)
