# The README's two commands, and a few more for developers.
BUILD   ?= build
FUZZDIR ?= build-fuzz
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
JOBS    ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build test run fuzz-smoke bench clean

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

run: build
	@bash scripts/run.sh $(BUILD)

fuzz-smoke: deps
	@bash scripts/fuzz-smoke.sh $(FUZZDIR)

bench: build
	@for b in $(BUILD)/bench/bench_*; do case "$$b" in *bare_window) continue;; esac; [ -f "$$b" ] && [ -x "$$b" ] && "$$b" || true; done
	@bash bench/startup.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(FUZZDIR)
