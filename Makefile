# Lumivex: `make run` to watch the show, `make test` to run the whole suite.
# Both install what is missing first (scripts/install-deps asks for nothing when all is there).

BUILD      ?= build
FUZZ_BUILD ?= build-fuzz
ASAN_BUILD ?= build-asan
DEBUG_BUILD ?= build-debug
WIN_BUILD  ?= build-win
WEB_BUILD  ?= build-web
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: run test build deps configure fuzz clean windows test-windows \
        test-sanitize test-bad-data test-valgrind test-long package test-package \
        web serve-web test-web bench-web

run: build
	./$(BUILD)/lumivex

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The unit and end-to-end tests, then a short run of every fuzzer (a clang build of its own).
# The Linux packages are made first so that their tests (ctest -L package) check them.
# The Windows tests join in where the cross-built libraries are cached (they take a few
# minutes to build once: scripts/build-windows-deps), the browser tests where the web
# libraries are cached (scripts/build-web-deps) and Chromium or Firefox ESR is installed
# (the page test says which browser it skipped).
test: build fuzz package
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@if bash scripts/build-windows-deps --check >/dev/null; then $(MAKE) --no-print-directory test-windows; \
	else echo "make test: no cross-built Windows libraries; Windows tests not run (scripts/build-windows-deps)"; fi
	@if ! bash scripts/build-web-deps --check >/dev/null; then \
	  echo "make test: no web libraries in the cache; browser tests not run (scripts/build-web-deps)"; \
	elif command -v chromium >/dev/null || command -v firefox-esr >/dev/null; then \
	  $(MAKE) --no-print-directory test-web; \
	else echo "make test: neither chromium nor firefox-esr; browser tests not run (scripts/install-web-deps)"; fi

fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DLUMIVEX_FUZZ=ON -DLUMIVEX_TESTS=OFF >/dev/null
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	cd $(FUZZ_BUILD) && ctest --output-on-failure

# The unit suite built with AddressSanitizer + UBSan in its own folder; leaks checked at exit.
test-sanitize: deps
	bash scripts/sanitize-tests $(ASAN_BUILD) -E 'e2e_|hardening_bad_data'

# Every data file missing, empty, cut and of another kind, end to end (94 runs, ~3.5 min).
test-bad-data: build
	bash scripts/hardening matrix $(BUILD)

# The real show under valgrind's memcheck for 600 frames (~15 min).
test-valgrind: build
	bash scripts/hardening valgrind $(BUILD)

# Ten minutes of a debug build: steady memory, no GL error.
test-long: deps
	bash scripts/hardening long $(DEBUG_BUILD)

# lumivex.exe cross-built with mingw-w64, and lumivex-windows.zip: the program and its data
# folder, and the model viewer with its glyph picture, ready to unpack and run on Windows.
windows:
	@bash scripts/install-windows-deps
	@bash scripts/build-windows-deps
	@cmake -S . -B $(WIN_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(WIN_BUILD) -j $(JOBS) --target lumivex lumivex-view
	rm -rf $(WIN_BUILD)/package $(WIN_BUILD)/lumivex-windows.zip
	mkdir -p $(WIN_BUILD)/package/Lumivex/data
	cp $(WIN_BUILD)/lumivex.exe $(WIN_BUILD)/tools/viewer/lumivex-view.exe $(WIN_BUILD)/package/Lumivex/
	cp tools/viewer/data/font.bmp $(WIN_BUILD)/package/Lumivex/
	cp data/*.jpg data/*.xm $(WIN_BUILD)/package/Lumivex/data/
	cd $(WIN_BUILD)/package && zip -q -r ../lumivex-windows.zip Lumivex
	@ls -l $(WIN_BUILD)/lumivex.exe $(WIN_BUILD)/lumivex-windows.zip

# The Windows unit tests and end-to-end tests, under wine64 on private X and sound servers.
test-windows: windows
	cmake --build $(WIN_BUILD) -j $(JOBS)
	cd $(WIN_BUILD) && ctest --output-on-failure -j $(JOBS)

# The Debian package and the portable tarball, into dist/ (each from a build folder of its
# own, build-deb and build-tarball; the first run also builds static SDL2 and libopenmpt
# into ~/.cache/lumivex-linux: scripts/build-linux-deps, a few minutes).
package: deps
	JOBS=$(JOBS) bash scripts/make-package dist

# The packages' own tests: lintian and the validators, dpkg -i and --purge (as root), the
# tarball run from /.
test-package: package configure
	cd $(BUILD) && ctest --output-on-failure -L package


# The show in a browser: build-web/ holds index.html, lumivex.js, lumivex.wasm, the sound
# worklet lumivex-sound.js, the icon lumivex.png (the packages' own, painted by the native
# make-icon) and data/: a static folder any web server serves as it is (emscripten and
# its libraries first). lumivex.html is the one-file page, all of these in one file that
# plays from disk (web/one_file.js).
WEB_ENV = NODE_PATH=/usr/share/nodejs NODE_OPTIONS=--no-experimental-fetch
web: configure
	@bash scripts/install-web-deps
	@bash scripts/build-web-deps >/dev/null
	@$(WEB_ENV) emcmake cmake -S . -B $(WEB_BUILD)/obj -DCMAKE_BUILD_TYPE=Release \
	  -DLUMIVEX_TESTS=OFF >/dev/null
	$(WEB_ENV) cmake --build $(WEB_BUILD)/obj -j $(JOBS) --target lumivex
	cmake --build $(BUILD) -j $(JOBS) --target make-icon >/dev/null
	rm -rf $(WEB_BUILD)/data $(WEB_BUILD)/obj/icons
	mkdir -p $(WEB_BUILD)/data
	$(BUILD)/tools/make-icon/make-icon $(WEB_BUILD)/obj/icons lumivex
	cp $(WEB_BUILD)/obj/icons/64x64/apps/lumivex.png $(WEB_BUILD)/lumivex.png
	cp web/index.html web/lumivex-sound.js $(WEB_BUILD)/obj/lumivex.js $(WEB_BUILD)/obj/lumivex.wasm $(WEB_BUILD)/
	cp data/*.jpg data/*.xm $(WEB_BUILD)/data/
	node web/one_file.js $(WEB_BUILD)
	@ls -l $(WEB_BUILD)/index.html $(WEB_BUILD)/lumivex.js $(WEB_BUILD)/lumivex.wasm $(WEB_BUILD)/lumivex.html

serve-web: web
	@echo "serve-web: http://127.0.0.1:8800/ (Ctrl+C stops)"
	cd $(WEB_BUILD) && python3 -m http.server 8800 --bind 127.0.0.1

# The page in Chromium (headless) and Firefox ESR (on a private Xvfb, with a private
# PulseAudio null sink), each where installed; the logo is compared with the native
# build's frame. LUMIVEX_WEB_BROWSERS=firefox runs one of them.
test-web: web
	cd web/test && npm install --no-audit --no-fund --silent
	$(MAKE) --no-print-directory build
	cd $(BUILD) && ctest -R Gl11Scenes --output-on-failure >/dev/null
	node web/test/page_test.js $(WEB_BUILD) $(BUILD)/tests/gl11/frames/desktop/logo.ppm

# The page's own cost per scene in each browser (main-thread ms per frame, frames a
# second against the same browser's floor), the native build's frame rate as information,
# and what the page transfers.
bench-web: web build
	cd web/test && npm install --no-audit --no-fund --silent
	cmake --build $(BUILD) -j $(JOBS) --target frames_bench
	node bench/web/web_bench.js $(WEB_BUILD) $(BUILD)/bench/frames/frames_bench

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(WIN_BUILD) $(ASAN_BUILD) $(DEBUG_BUILD) $(WEB_BUILD) build-deb build-tarball dist
