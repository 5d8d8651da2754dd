# The two commands of the README: `make run` and `make test`.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
# Windows tests run under 32-bit Wine where the kernel can run 32-bit code;
# elsewhere the same sources are built for 64-bit Windows and run under
# 64-bit Wine. The 32-bit product is built either way.
WINDOWS_TEST_PRESET = $(shell tools/wine-run.sh --can-run-win32 && echo win32 || echo win64)
SOURCES = $(shell git ls-files --cached --others --exclude-standard '*.cpp' '*.h')

.PHONY: bootstrap build build-windows-tests dist format format-check test run bench bench-window

bootstrap:
	@tools/bootstrap.sh

build: bootstrap
	@for preset in native asan tsan win32; do \
	    cmake --preset $$preset >/dev/null && cmake --build --preset $$preset -j $(JOBS) || exit 1; \
	done

build-windows-tests: build
	@preset=$(WINDOWS_TEST_PRESET); [ $$preset = win32 ] || \
	    { cmake --preset $$preset >/dev/null && cmake --build --preset $$preset -j $(JOBS); }

# The Debian package of kelvane-scan and the zip for Windows, in build/dist. Only what they
# hold is built, not the tests.
dist: bootstrap
	@for preset in native win32; do \
	    cmake --preset $$preset >/dev/null && cmake --build --preset $$preset -j $(JOBS) --target shipped >/dev/null || exit 1; \
	done
	@rm -f build/dist/*.deb build/dist/*.zip
	@for package in deb zip; do \
	    cpack --preset $$package >build/cpack-$$package.log 2>&1 || { cat build/cpack-$$package.log; exit 1; }; \
	done
	@stat -c '%n  %s bytes' build/dist/*.deb build/dist/*.zip

format:
	clang-format -i $(SOURCES)

format-check: bootstrap
	@clang-format --dry-run --Werror $(SOURCES)

test: format-check build-windows-tests
	ctest --preset native -j $(JOBS)
	@tools/test-figures.sh build/native
	ctest --preset asan -j $(JOBS)
	@tools/test-figures.sh build/asan
	@# The engine's and the command's tests under ThreadSanitizer (all but the packages and the two
	@# memory bounds, the gigabyte line and the growth with the tree, which its shadow memory breaks),
	@# without address-space randomisation, whose wider ranges on newer kernels clang 14's runtime
	@# does not expect.
	setarch $$(uname -m) -R ctest --preset tsan -j $(JOBS)
	@echo "Windows tests: preset $(WINDOWS_TEST_PRESET)"
	ctest --preset $(WINDOWS_TEST_PRESET) -j $(JOBS)
	@tools/test-figures.sh build/$(WINDOWS_TEST_PRESET)
	tools/fuzz.sh
	@tools/test-size.sh --max 36

# libFuzzer on the engine: each target of fuzz/ for FUZZ_SECONDS (default 30).
.PHONY: fuzz
fuzz: bootstrap
	tools/fuzz.sh

# On a desktop the window opens on a copy of the sample site; without one,
# kelvane-scan cleans such a copy.
run: bootstrap
	@if [ -n "$${DISPLAY:-}" ]; then \
	    tools/demo-window.sh; \
	else \
	    cmake --preset native >/dev/null && cmake --build --preset native -j $(JOBS) --target kelvane-scan >/dev/null && \
	    tools/demo.sh build/native/src/kelvane-scan; \
	fi

# By hand only, never in CI: times kelvane-scan against the floor, grep and rg.
bench: bootstrap
	@bench/run.sh

bench-window: bootstrap
	@bench/window.sh
