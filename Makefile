# Front door of the project: `make run` and `make test` work on a fresh
# Debian 12 machine; everything else is here for developers.

BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
DEB_BUILD  ?= build-deb
PREFIX     ?= /usr/local
# Debian's hardening of the link: relocations read-only, resolved at start.
DEB_LDFLAGS := -Wl,-z,relro -Wl,-z,now
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
CTEST_FLAGS := --output-on-failure -j $(JOBS)
CLANG_FORMAT ?= clang-format-14
FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h')

VSCODE_DIR := editors/vscode
VSCODE_NPM := $(VSCODE_DIR)/node_modules/.package-lock.json

.PHONY: all deps editors-deps vsix build test run bench fuzz asan tsan format format-check clean screenshots install deb

all: build

deps:
	@./scripts/deps.sh
	@$(MAKE) --no-print-directory editors-deps

# The VS Code extension's npm packages (its grammar test and packager), from
# the lock file; npm comes with the machine's Node.js.
editors-deps: $(VSCODE_NPM)

$(VSCODE_NPM): $(VSCODE_DIR)/package.json $(VSCODE_DIR)/package-lock.json
	cd $(VSCODE_DIR) && npm ci --no-audit --no-fund
	@touch $@

# The VS Code extension as editors/vscode/kvt-language.vsix.
vsix: editors-deps
	cd $(VSCODE_DIR) && npm run package < /dev/null

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: deps
	@$(MAKE) --no-print-directory build
	cd $(BUILD) && ctest $(CTEST_FLAGS)

# Builds only what the demo runs, so a newcomer hears it before the test
# programs are compiled.
run: deps
	@$(MAKE) --no-print-directory $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) --target zem_run_deps -j $(JOBS)
	@./scripts/run-example.sh $(BUILD)

bench: deps
	@$(MAKE) --no-print-directory build
	@./scripts/run-benchmarks.sh $(BUILD)

asan: deps
	cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DZEM_SANITIZE=ON -DZEM_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest $(CTEST_FLAGS)

# ThreadSanitizer over the tests whose threads share state: the audio mixer's
# stress test runs for 30 s here.
TSAN_FLAGS := -fsanitize=thread -fno-omit-frame-pointer
TSAN_TESTS := platform_audio_stress_test platform_audio_device_test audsink_streams_test audsink_sounds_test
tsan: deps
	cmake -S . -B $(TSAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEM_BENCH=OFF \
		-DCMAKE_C_FLAGS="$(TSAN_FLAGS)" -DCMAKE_CXX_FLAGS="$(TSAN_FLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TESTS)
	cd $(TSAN_BUILD) && ZEM_AUDIO_STRESS_SECONDS=30 TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
		ctest $(CTEST_FLAGS) -R '^($(subst $(eval) ,|,$(TSAN_TESTS)))$$'

fuzz: deps
	CC=clang-16 CXX=clang++-16 cmake -S . -B $(FUZZ_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DZEM_FUZZ=ON -DZEM_SANITIZE=ON -DZEM_BENCH=OFF -DBUILD_TESTING=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@./scripts/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Installs the programs, libraries, plug-ins, headers, manual pages and
# desktop files under $(PREFIX) (staged under $(DESTDIR) when given).  The
# prefix is built in (the decoder plug-in folder), so changing it rebuilds
# the few files that know it.
install: deps $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(BUILD) --target zem_install_deps -j $(JOBS)
	DESTDIR=$(DESTDIR) cmake --install $(BUILD)

# A Debian package of the same layout under /usr, built in a tree of its own
# without tests or benchmarks: $(DEB_BUILD)/zem_<version>_<arch>.deb.
deb: deps
	cmake -S . -B $(DEB_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
		-DBUILD_TESTING=OFF -DZEM_BENCH=OFF -DCMAKE_EXE_LINKER_FLAGS="$(DEB_LDFLAGS)" \
		-DCMAKE_SHARED_LINKER_FLAGS="$(DEB_LDFLAGS)" -DCMAKE_MODULE_LINKER_FLAGS="$(DEB_LDFLAGS)"
	cmake --build $(DEB_BUILD) --target zem_install_deps -j $(JOBS)
	cd $(DEB_BUILD) && cpack -G DEB
	@ls $(DEB_BUILD)/zem_*.deb

# The tree's layout follows .clang-format: `format` rewrites the sources in
# place, `format-check` lists what differs and fails.
format: deps
	@$(CLANG_FORMAT) -i $(FORMAT_FILES)

format-check: deps
	@$(CLANG_FORMAT) --dry-run --Werror $(FORMAT_FILES)

# The player window playing the demo, its device dialog and the score
# window marking the demo's commands beside it, as PNG files in
# $(BUILD)/out/, taken on a virtual X server.
SCREENSHOT_TESTS := frontend_window_xvfb_test frontend_score_window_xvfb_test
screenshots: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) --target zemfe $(SCREENSHOT_TESTS) -j $(JOBS)
	cd $(BUILD) && ctest -R '^($(subst $(eval) ,|,$(SCREENSHOT_TESTS)))$$' $(CTEST_FLAGS)
	@ls $(BUILD)/out/zemfe_playing.png $(BUILD)/out/zemfe_devices.png \
		$(BUILD)/out/zemfe_score.png $(BUILD)/out/zemfe_score_beside.png

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(DEB_BUILD)
