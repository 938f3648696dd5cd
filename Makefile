# The two commands a newcomer needs: `make run` and `make test`.
# Both install what is missing from Debian first, so a fresh machine works.

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
WEB_BUILD  ?= build-web
WIN_BUILD  ?= build-win
FUZZ_SECONDS ?= 20
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX     ?= /usr/local

# Debian packages: what the window needs, what the browser build adds, what the tests add.
RUN_PACKAGES  = g++ make cmake pkg-config libx11-dev libsdl2-dev libfreetype-dev libpng-dev fonts-wine
WEB_PACKAGES  = $(RUN_PACKAGES) emscripten chromium
# The browser test's other engines: Firefox, and WebKit through its WebDriver on an Xvfb screen.
WEB_TEST_PACKAGES = firefox-esr webkit2gtk-driver xvfb
# The Windows programs: Debian's mingw-w64 (and zlib built for it), and zip for the portable zip.
WIN_PACKAGES  = g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev zip
TEST_PACKAGES = $(WEB_PACKAGES) $(WEB_TEST_PACKAGES) $(WIN_PACKAGES) wine64 x11-apps netpbm unzip \
                googletest libgtest-dev libgmock-dev libbenchmark-dev \
                xvfb xauth xdotool clang libclang-rt-14-dev python3 \
                appstream desktop-file-utils lintian dpkg-dev man-db
PACKAGES ?= $(RUN_PACKAGES)
# Debian's emscripten runs offline with its own JavaScript modules.
EMSCRIPTEN_ENV = NODE_PATH=/usr/share/nodejs
EMSCRIPTEN_TOOLCHAIN = /usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake
# npm packages, kept inside the project: the browser build's minifier, and the browser test's.
WEB_TOOLS_DIR = pocket/host/web
NODE_DIR = tests/web

.PHONY: all deps web-deps win-deps test-deps node-deps web serve web-test windows wine-test build test-build run test unit-asan fuzz-build fuzz-short fuzz bench soak mutate install package clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing Debian packages:$$missing"; \
	  if [ "$$(id -u)" = 0 ]; then SUDO=""; \
	  elif command -v sudo >/dev/null 2>&1; then SUDO="sudo"; \
	  else echo "error: these Debian packages are missing:$$missing"; \
	       echo "       install them as root: apt-get install$$missing"; exit 1; fi; \
	  $$SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 update -qq && \
	  $$SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq $$missing || { \
	    echo "error: could not install:$$missing"; exit 1; }; \
	fi

web-deps:
	@$(MAKE) --no-print-directory deps PACKAGES="$(WEB_PACKAGES)"
	@# npm comes with some builds of node; Debian's own is a package of its own.
	@command -v npm >/dev/null 2>&1 || $(MAKE) --no-print-directory deps PACKAGES="npm"
	@[ -x $(WEB_TOOLS_DIR)/node_modules/google-closure-compiler-linux/compiler ] || \
	  npm install --prefix $(WEB_TOOLS_DIR) --no-audit --no-fund --loglevel=error

win-deps:
	@$(MAKE) --no-print-directory deps PACKAGES="$(WIN_PACKAGES)"

test-deps:
	@$(MAKE) --no-print-directory deps PACKAGES="$(TEST_PACKAGES)"

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/fizzorbs

# The tests are built once googletest is there (a build made by `make run` may predate it).
test-build: test-deps $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DFZ_TESTS=ON > /dev/null
	cmake --build $(BUILD) -j $(JOBS)

test: test-build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory web-test
	$(MAKE) --no-print-directory wine-test
	$(MAKE) --no-print-directory unit-asan
	$(MAKE) --no-print-directory fuzz-short
	@bash tools/test_ratio.sh

# The same program for the browser: a static site in $(WEB_BUILD)/site.
$(WEB_BUILD)/CMakeCache.txt:
	$(EMSCRIPTEN_ENV) cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(EMSCRIPTEN_TOOLCHAIN) -DFZ_NATIVE_BUILD=$(abspath $(BUILD))

web: web-deps build $(WEB_BUILD)/CMakeCache.txt
	$(EMSCRIPTEN_ENV) cmake --build $(WEB_BUILD) -j $(JOBS)
	@echo "The site is in $(WEB_BUILD)/site/"

serve: web
	node tools/serve.js $(WEB_BUILD)/site 8000

# The same program for Windows, cross-compiled with mingw-w64: fizzorbs.exe,
# fizzorbs-headless.exe and the portable zip in $(WIN_BUILD)/.
$(WIN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(WIN_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=pocket/host/win32/mingw64.cmake -DFZ_NATIVE_BUILD=$(abspath $(BUILD))

windows: build win-deps $(WIN_BUILD)/CMakeCache.txt
	cmake --build $(WIN_BUILD) -j $(JOBS)
	@echo "The Windows programs and their zip are in $(WIN_BUILD)/"

# The Windows programs under Wine (a prefix in $(WIN_BUILD)/wineprefix), against the native ones.
wine-test: test-build windows
	FZ_BUILD=$(abspath $(BUILD)) FZ_WIN_BUILD=$(abspath $(WIN_BUILD)) FZ_SOURCE=$(CURDIR) bash tests/wine/wine.sh

# The browser test's npm packages: its drivers and Lighthouse (npm itself comes with web-deps).
node-deps: web-deps
	@[ -d $(NODE_DIR)/node_modules/puppeteer-core ] && [ -d $(NODE_DIR)/node_modules/lighthouse ] || \
	  npm install --prefix $(NODE_DIR) --no-audit --no-fund --loglevel=error

# The browser build against the headless device, in each engine: Chromium, Firefox, WebKit.
WEB_ENGINES ?= chromium firefox webkit
web-test: web node-deps
	@$(MAKE) --no-print-directory deps PACKAGES="$(WEB_TEST_PACKAGES)"
	@failed=""; report=$(WEB_BUILD)/e2e-report.txt; rm -f $$report; for engine in $(WEB_ENGINES); do \
	  node tests/web/e2e.js --site $(WEB_BUILD)/site --build $(BUILD) --engine $$engine --report $$report || failed="$$failed $$engine"; \
	done; \
	if [ -n "$$failed" ]; then cat $$report 2>/dev/null; echo "the browser test failed in:$$failed"; exit 1; fi

# The unit tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
unit-asan: test-deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DFZ_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -L unit

# The state-file loader under libFuzzer (clang), with a seed corpus of real files.
$(FUZZ_BUILD)/CMakeCache.txt:
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Debug -DFZ_FUZZ=ON -DFZ_WERROR=OFF

fuzz-build: test-deps $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target statefile-fuzz

fuzz-short: fuzz-build
	mkdir -p $(FUZZ_BUILD)/corpus
	./$(FUZZ_BUILD)/tests/statefile-fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  $(FUZZ_BUILD)/corpus tests/fuzz/corpus

fuzz: fuzz-build
	mkdir -p $(FUZZ_BUILD)/corpus
	./$(FUZZ_BUILD)/tests/statefile-fuzz $(FUZZ_BUILD)/corpus tests/fuzz/corpus

# Ten minutes of random play on the headless device, for people.
soak: test-build
	FZ_SOAK_SECONDS=600 FZ_SOAK_MASTER=random FZ_BUILD=$(BUILD) FZ_SOURCE=. bash tests/e2e/soak.sh

# Mutation testing: N sampled one-line faults, each rebuilt in $(MUTATE_BUILD) and run
# against the fast suite, survivors once more under the sanitizers. Long (about 5 s a
# mutant, and one sanitized build); not part of `make test`.
MUTATE_BUILD ?= build-mutate
MUTANTS ?= 100
mutate: test-deps
	python3 tools/mutate/mutate.py -n $(MUTANTS) --build $(MUTATE_BUILD) --jobs $(JOBS) $(if $(SEED),--seed $(SEED)) \
	  $(if $(FOLDERS),--folders $(FOLDERS))

bench: test-build web node-deps windows
	cmake --build $(BUILD) -j $(JOBS) --target fizzorbs-bench mapwatch
	python3 bench/perf.py --build $(BUILD) --site $(WEB_BUILD)/site --windows $(WIN_BUILD)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

package: build
	@$(MAKE) --no-print-directory deps PACKAGES="dpkg-dev"
	cd $(BUILD) && cpack

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WEB_BUILD) $(WIN_BUILD) $(MUTATE_BUILD)
