# Set-up commands; each installs what the machine lacks first. `make demo` shows the control,
# `make test` builds and runs every test, `make release` writes the installers and the zip to dist/.
.PHONY: demo demo64 test release setup native windows windows-tests windows64 windows64-tests bench fuzz stress clean

BUILD_WINDOWS := build/windows
BUILD_WINDOWS64 := build/windows64
# One X display for the whole Wine session; the tests may save screenshots of it.
XVFB := xvfb-run -a -s "-screen 0 1280x1024x24"
# The demo's tour at 200 % needs a larger screen than the tests.
XVFB_DEMO := xvfb-run -a -s "-screen 0 2048x1536x24"
# Options for configuring the native and Windows builds. `make test`, and so CI, makes every
# warning in our own code an error; the build folders remember it until told otherwise.
CONFIGURE :=
test: CONFIGURE := -DSELVANE_WERROR=ON

# selvane-demo: selvane.ocx registered in the Wine prefix and hosted by its ProgID in Wine's ATL
# container, with buttons for its members and a log of its events. With a display it stays open
# for a person; without one it plays a scripted tour under Xvfb, prints what happened, and
# leaves screenshots of its window and of the About dialog in the build's artifacts folder
# (selvane-demo.png, selvane-demo-about.png), and of its window at 125, 150 and 200 %
# (selvane-demo-120.png, -144.png, -192.png). Only the control and the demo are built. $(1) is
# the preset, $(2) its build folder, $(3) where a tour that went well copies its window's
# screenshot (none when empty).
define run_demo
	cmake --preset $(1)
	cmake --build --preset $(1) --target selvane_ocx selvane-demo
	@scripts/wine-prefix.sh $(2)
	@mkdir -p $(2)/artifacts
	@if [ -n "$$DISPLAY" ]; then \
	  scripts/wine-session.sh $(2) scripts/demo-host.sh $(2); \
	else \
	  SELVANE_HEADLESS=1 SELVANE_README_PICTURE=$(3) $(XVFB_DEMO) scripts/wine-session.sh $(2) scripts/demo-host.sh $(2); \
	fi
endef

# The headless tour of the 32-bit demo draws the README's picture of the demo.
README_PICTURE := $(CURDIR)/docs/images/selvane-demo.png

# Whether this machine runs 32-bit programs (scripts/runs-32-bit.sh): some kernels run none,
# Wine's 32-bit loader with them. There the 32-bit build is still made, but its tests are skipped
# and the demo shows the 64-bit control. Asked when a recipe runs, after setup.
RUNS_32BIT = $(shell scripts/runs-32-bit.sh >/dev/null && echo yes)

demo: setup
	$(if $(RUNS_32BIT),,@echo "demo: this machine runs no 32-bit programs; showing the 64-bit control")
	$(if $(RUNS_32BIT),$(call run_demo,windows,$(BUILD_WINDOWS),$(README_PICTURE)),$(call run_demo,windows64,$(BUILD_WINDOWS64),$(README_PICTURE)))

# The same with the 64-bit selvane.ocx, in the 64-bit demo host and a 64-bit prefix.
demo64: setup
	$(call run_demo,windows64,$(BUILD_WINDOWS64),)

# Both bitnesses' Windows tests come last, so that a CTest summary is the last thing printed.
test: windows-tests windows64-tests

setup:
	@scripts/setup.sh

# dist/: an installer for each bitness, the zip and their checksums (scripts/release.sh), signed
# when given a key: make release SIGN_CERT=cert.pem SIGN_KEY=key.pem [SIGN_TIMESTAMP=URL]
release: setup
	@SIGN_CERT="$(SIGN_CERT)" SIGN_KEY="$(SIGN_KEY)" SIGN_PASS_FILE="$(SIGN_PASS_FILE)" \
	  SIGN_TIMESTAMP="$(SIGN_TIMESTAMP)" SIGN_TSA_CERT="$(SIGN_TSA_CERT)" SIGN_TSA_KEY="$(SIGN_TSA_KEY)" \
	  scripts/release.sh

# The logic and its native tests on Linux.
native: setup
	cmake --preset native $(CONFIGURE)
	cmake --build --preset native
	ctest --preset native

# The logic, the Win32 host and the Windows tests for 32-bit Windows.
windows: setup
	cmake --preset windows $(CONFIGURE)
	cmake --build --preset windows

# The Windows tests under Wine, in a private prefix with fixture drives
# (scripts/wine-prefix.sh); screenshots land in $(BUILD_WINDOWS)/artifacts.
windows-tests: windows native
	@if ! scripts/runs-32-bit.sh; then echo "windows-tests: the 32-bit suite is built but not run"; else \
	  scripts/wine-prefix.sh $(BUILD_WINDOWS) && \
	  rm -rf $(BUILD_WINDOWS)/artifacts && mkdir -p $(BUILD_WINDOWS)/artifacts && \
	  SELVANE_ARTIFACTS=$(CURDIR)/$(BUILD_WINDOWS)/artifacts \
	  $(XVFB) scripts/wine-session.sh $(BUILD_WINDOWS) ctest --preset windows; fi

# The 64-bit build and the same Windows tests under 64-bit Wine, in a 64-bit prefix of their own.
windows64: setup
	cmake --preset windows64 $(CONFIGURE)
	cmake --build --preset windows64

# The 32-bit build too: its selvane.ocx is registered beside the 64-bit one in one test.
windows64-tests: windows64 windows native
	@scripts/wine-prefix.sh $(BUILD_WINDOWS64)
	@rm -rf $(BUILD_WINDOWS64)/artifacts && mkdir -p $(BUILD_WINDOWS64)/artifacts
	@SELVANE_ARTIFACTS=$(CURDIR)/$(BUILD_WINDOWS64)/artifacts \
	  $(XVFB) scripts/wine-session.sh $(BUILD_WINDOWS64) ctest --preset windows64

# Listing speed against the bare enumeration, under Wine (not a test: it prints figures).
# The 32-bit build where the machine runs 32-bit programs, the 64-bit one where it doesn't.
BENCH_BUILD = $(if $(RUNS_32BIT),$(BUILD_WINDOWS),$(BUILD_WINDOWS64))
bench: $(if $(RUNS_32BIT),windows,windows64)
	@scripts/wine-prefix.sh $(BENCH_BUILD)
	@scripts/bench-files.sh $(BENCH_BUILD)/bench
	@$(XVFB) scripts/wine-session.sh $(BENCH_BUILD) sh -c \
	  'scripts/wine-run.sh $(BENCH_BUILD) $(BENCH_BUILD)/selvane-listing-benchmark.exe \
	   "$$(scripts/wine-run.sh $(BENCH_BUILD) winepath -w $(CURDIR)/$(BENCH_BUILD)/bench)"'

# Both bitnesses' Windows suites at once, STRESS_ROUNDS times, beside a busy loop on every core
# (scripts/stress.sh): for failures and crashes that show once in many runs.
STRESS_ROUNDS ?= 3
stress: windows windows64
	@for build in $(STRESS_BUILDS); do scripts/wine-prefix.sh $$build || exit 1; done
	@scripts/stress.sh $(STRESS_ROUNDS) $(STRESS_BUILDS)
STRESS_BUILDS = $(if $(RUNS_32BIT),$(BUILD_WINDOWS)) $(BUILD_WINDOWS64)

# Fuzzing for a time budget, shared among the four campaigns (scripts/fuzz.sh):
#   make fuzz FUZZ_SECONDS=3600 FUZZ_SEED=7
# A new seed each run unless one is given; every crash and hang is printed with its replay command.
FUZZ_SECONDS ?= 600
FUZZ_SEED ?= $(shell date +%s)
fuzz: setup
	cmake --preset native
	cmake --build --preset native --target selvane-native-fuzz
	cmake --preset windows
	cmake --build --preset windows --target selvane_ocx selvane-com-fuzz
	@scripts/fuzz.sh $(FUZZ_SECONDS) $(FUZZ_SEED)

clean:
	rm -rf build dist
