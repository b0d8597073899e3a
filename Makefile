# Entry points for people and CI. Every target installs what it needs first.
.PHONY: setup configure build test run screenshots package sanitize tsan cross-windows windows \
	test-windows screenshots-windows package-windows test-kernel fuzz bench clean

SETUP := tools/setup.sh
APP := build/default/src/app/BrevalonMiniSetup

setup:
	@bash $(SETUP)

configure: setup
	@cmake --preset default >/dev/null

build: configure
	@cmake --build --preset default

# A test that fails is run once more before it counts as failed: the
# end-to-end tests run the real timer and reader threads, and a machine loaded
# by other work can stretch a wait past its margin.
test: build cross-windows
	@ctest --preset default --repeat until-pass:2

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "No display found. Run 'make run' from a desktop session, or try 'xvfb-run -a make run' for a headless run."; exit 1; fi
	@$(APP) --simulate

# A picture of every window in build/screenshots/, taken under a virtual X
# server with one virtual unit attached once its status is shown.
screenshots: build
	@rm -rf build/screenshots
	@BREVALON_SCREENSHOTS=$(CURDIR)/build/screenshots xvfb-run -a $(APP) --simulate
	@ls build/screenshots

# The Debian package, build/default/brevalon-mini-setup_<version>_<arch>.deb,
# made from the build above without compiling anything again.
package: build
	@rm -f build/default/brevalon-mini-setup_*.deb
	@cmake --build --preset default --target package

sanitize: setup
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	@ctest --preset asan --repeat until-pass:2

# Thread sanitizer on the tests that run more than one thread (label "threads"),
# the end-to-end GUI tests among them.
tsan: setup
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan
	@ctest --preset tsan -L threads --repeat until-pass:2

# The Windows backend and the HID layer, cross-compiled with mingw-w64 so that
# they keep building and linking without a Windows machine.
cross-windows: setup
	@cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake \
	    -DBREVALON_GUI=OFF -DBREVALON_TESTS=OFF -DBREVALON_BENCH=OFF >/dev/null
	@cmake --build build/windows --target brevalon_hid brevalon_hid_platform hid_list_interfaces

# The Windows programs, build/windows-qt/src/app/BrevalonMiniSetup.exe and
# build/windows-qt/src/cli/brevalon-cli.exe, statically linked against a Qt
# for Windows that tools/windows/build-qt.sh builds once from Debian's Qt
# source into ~/.cache (half an hour the first time).
windows: setup
	@bash tools/windows/cross-build.sh --target BrevalonMiniSetup brevalon-cli

# Every test, the GUI suites among them, cross-compiled with that Qt and run
# under Wine in a fresh prefix.
test-windows: setup
	@bash tests/windows/run-under-wine.sh

# A picture of every window as Windows draws it: the program under Wine on a
# virtual X server, in build/screenshots-windows/.
screenshots-windows: setup
	@bash tools/windows/screenshots.sh

# build/windows-qt/BrevalonMiniSetup-<version>-win64.zip and .exe (installer),
# then the installer checked under Wine: silent install, a run of the installed
# program with a virtual unit, silent uninstall.
package-windows: setup
	@bash tools/windows/package.sh

# The HID layer's Linux backend against the real kernel HID stack: Debian's
# kernel in a qemu guest, the virtual unit behind /dev/uhid and the HID layer
# in two processes; prints each scenario and the round-trip figures.
test-kernel: configure
	@cmake --build --preset default --target kernel_unit kernel_host
	@bash tools/kernel/run-kernel-test.sh build/default

# The libFuzzer targets of tests/fuzz, FUZZ_SECONDS each (make fuzz
# FUZZ_SECONDS=600). clang builds the whole tool with libFuzzer's coverage and
# the address and undefined-behaviour sanitizers; Qt is used as installed. A
# fault fails the target and leaves its input in build/fuzz/artifacts.
FUZZ_SECONDS ?= 60
fuzz: setup
	@cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_CXX_COMPILER=clang++ -DBREVALON_FUZZ=ON -DBREVALON_BENCH=OFF \
	    "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
	    "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null
	@cmake --build build/fuzz --target fuzz_dispatcher fuzz_report_descriptor fuzz_profile
	@bash tests/fuzz/run.sh build/fuzz $(FUZZ_SECONDS)

# Every program of bench/ on the default build, with its figures; the soak
# (minutes) fails the target when the tool's memory grew by 2 MiB or more.
bench: build
	@bash bench/run.sh build/default

clean:
	@rm -rf build
