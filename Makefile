# Entry points for people and CI. Every target installs what it needs first.
.PHONY: setup configure build test run sanitize tsan clean

SETUP := tools/setup.sh
APP := build/default/src/app/BrevalonMiniSetup

setup:
	@bash $(SETUP)

configure: setup
	@cmake --preset default >/dev/null

build: configure
	@cmake --build --preset default

test: build
	@ctest --preset default

run: build
	@if [ ! -x $(APP) ]; then echo "The tool is not built yet: only the HID layer and its tests exist."; exit 1; fi
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "No display found. Run 'make run' from a desktop session, or try 'xvfb-run -a make run' for a headless run."; exit 1; fi
	@$(APP) --simulate

sanitize: setup
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	@ctest --preset asan

# Thread sanitizer on the tests that run more than one thread (label "threads").
tsan: setup
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan
	@ctest --preset tsan -L threads

clean:
	@rm -rf build
