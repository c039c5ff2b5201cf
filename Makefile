# Set-up, build and test in one step each; see README.md.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release -DVSM_BUILD_TESTS=ON

.PHONY: all deps configure build test interrupt-test demo run install package package-test tidy bench fuzz fuzz-corpus sanitize windows test-windows window-test readme-picture clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@scripts/configure.sh $(BUILD) $(CMAKE_FLAGS)

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The interruption test of `make test` (the real tool killed while it saves or splits) with 200
# kills instead of a few dozen; CI runs it after the other tests.
interrupt-test: build
	@cd $(BUILD) && VSM_INTERRUPT_RUNS=200 ctest --output-on-failure -R '^InterruptTest\.'

demo: build
	@scripts/demo.sh $(BUILD)

# Opens the window; it works in $(BUILD)/run (its VrkWork, VrkKeep and VrkResult land there).
run:
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
	  echo "make run: no display. Set DISPLAY to an X server (e.g. ssh -X), or serve the window"; \
	  echo "over VNC: QT_QPA_PLATFORM=vnc make run, then connect a VNC viewer to port 5900."; \
	  echo "For pictures without a display: make window-test (uses Xvfb)."; \
	  exit 1; \
	fi
	@$(MAKE) --no-print-directory configure
	@cmake --build $(BUILD) -j $(JOBS) --target vrk-split-merge vrk2mvt mvt2vrk
	@mkdir -p $(BUILD)/run
	@echo "Example lists to load: $(CURDIR)/examples"
	@cd $(BUILD)/run && "$(abspath $(BUILD))/bin/vrk-split-merge"

# Installs the tool, its converters, manual pages, desktop entry and icon under PREFIX; DESTDIR
# stages the installation below another root.
PREFIX ?= /usr/local
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian package $(BUILD)/vrk-split-merge_<version>_<arch>.deb.
package: configure
	@JOBS=$(JOBS) scripts/package-test.sh --package-only $(BUILD)

# Builds the package and checks it unpacked (never installed); lintian must report no errors.
package-test: configure
	@JOBS=$(JOBS) scripts/package-test.sh $(BUILD)

# clang-tidy with the checks of .clang-tidy over src/ and tools/; any finding fails.
tidy: configure
	@JOBS=$(JOBS) scripts/tidy.sh $(BUILD)

# The pipeline benchmark and the user's job, built in Release in their own folder; not part of
# `make test`. BENCH_ARGS passes options to the first, e.g. BENCH_ARGS="--sizes 50000 --repeat 3",
# JOB_BENCH_ARGS to the second, e.g. JOB_BENCH_ARGS="--repeat 3".
BENCH_BUILD ?= build-bench
bench: deps
	@scripts/configure.sh $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DVSM_BUILD_BENCH=ON \
	  -DVSM_BUILD_TESTS=OFF -DVSM_BUILD_GUI=OFF
	@cmake --build $(BENCH_BUILD) -j $(JOBS) --target pipeline_bench job_bench
	@$(BENCH_BUILD)/bin/pipeline_bench $(BENCH_ARGS)
	@$(BENCH_BUILD)/bin/job_bench $(JOB_BENCH_ARGS)

# Runs each fuzzer (FUZZERS, default all five) for FUZZ_SECONDS in build-fuzz (clang), starting
# from its kept corpus in fuzz/corpus; FUZZ_RUNS, when set, also ends it after that many inputs.
# Fails on any finding.
FUZZ_SECONDS ?= 36
FUZZ_RUNS ?=
FUZZERS ?=
FUZZ_BUILD ?= build-fuzz
fuzz:
	@FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZ_RUNS=$(FUZZ_RUNS) BUILD_FUZZ=$(FUZZ_BUILD) JOBS=$(JOBS) \
	  scripts/fuzz.sh $(FUZZERS)

# Refreshes the kept corpora: runs each fuzzer for CORPUS_SECONDS, then merges what it had, what
# it found and the seeds with -merge=1 into a minimised fuzz/corpus/<fuzzer>.
CORPUS_SECONDS ?= 300
fuzz-corpus:
	@FUZZ_SECONDS=$(CORPUS_SECONDS) FUZZ_RUNS=$(FUZZ_RUNS) BUILD_FUZZ=$(FUZZ_BUILD) JOBS=$(JOBS) \
	  scripts/fuzz.sh --corpus $(FUZZERS)

# The engine and end-to-end tests built with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-sanitize, run through ctest.
SANITIZE_BUILD ?= build-sanitize
sanitize:
	@BUILD_SANITIZE=$(SANITIZE_BUILD) JOBS=$(JOBS) scripts/sanitize.sh

# Windows: cross-build with MinGW-w64 into $(WINDOWS_BUILD) and pack dist/vrk-split-merge-windows.zip;
# test-windows runs its tests under wine. See docs/windows.md.
WINDOWS_BUILD ?= build-windows
windows:
	@scripts/windows-build.sh $(WINDOWS_BUILD) $(JOBS)

test-windows: windows
	@JOBS=$(JOBS) scripts/windows-test.sh $(WINDOWS_BUILD) $(BUILD)

# Both windows driven as a person drives them, on a virtual display (scripts/window-e2e.sh): the
# Qt program of $(BUILD), then the Windows program of $(WINDOWS_BUILD) under wine. Pictures:
# $(BUILD)/window.png and $(WINDOWS_BUILD)/window.png.
window-test: build windows
	@scripts/window-e2e-deps.sh
	@scripts/window-e2e.sh linux $(BUILD)
	@scripts/window-e2e.sh windows $(WINDOWS_BUILD)

# Refreshes docs/window.png, the README's picture of the window, by driving the Qt program of
# $(BUILD) as window-test does (scripts/readme-picture.sh).
readme-picture: build
	@scripts/window-e2e-deps.sh
	@scripts/readme-picture.sh $(BUILD)

# Removes every folder that the targets above create.
clean:
	@rm -rf $(BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(SANITIZE_BUILD) $(WINDOWS_BUILD) dist
