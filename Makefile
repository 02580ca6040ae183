# The two set-up commands: `make run` and `make test`. Each installs the Debian packages it needs.
PACKAGES := cmake ninja-build g++ mold pkg-config qt6-base-dev qcoro-qt6-dev libgtest-dev libgmock-dev \
            libturbojpeg0-dev zlib1g-dev fonts-dejavu-core \
            libatspi2.0-dev libxcb1-dev libxcb-shm0-dev libxcb-randr0-dev libxcb-xinput-dev \
            libxcb-xkb-dev libxcb-keysyms1-dev libwayland-dev wayland-protocols scdoc librsvg2-bin \
            libglib2.0-bin
# The private headless desktop the desktop tests start: X server, buses, window manager, test apps.
DESKTOP_PACKAGES := xvfb xauth dbus dbus-x11 at-spi2-core openbox python3-gi gir1.2-gtk-3.0 \
            gir1.2-atspi-2.0 xclip xdotool x11-utils x11-xserver-utils qt6-qpa-plugins libglib2.0-bin procps
# The private headless GNOME Shell on Wayland the Wayland tests start, its portal, a clipboard
# client to check from outside and Qt's Wayland platform. GNOME Shell will not run as root: the
# tests run it as the system user vantrel-test, created here when make runs as root.
WAYLAND_PACKAGES := gnome-shell xdg-desktop-portal xdg-desktop-portal-gnome wl-clipboard qt6-wayland xwayland
WAYLAND_TEST_USER := vantrel-test
# The package and its tests: the validators, lintian, dpkg-shlibdeps and file (which CPack uses to
# find the binaries to strip and to compute dependencies for). scdoc and rsvg-convert, above, build
# the man page and the icons.
PACKAGING_PACKAGES := desktop-file-utils appstream lintian dpkg-dev file
# Only `make fuzz` needs clang and its libFuzzer runtime.
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := scene_loader region_filter grapheme_cut capture_documents
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
# The MCP client tests run the official SDK clients on Node.js 20 or newer: the system's when it
# is new enough, else one pinned from npm (tests/mcp/clients/install.sh). Debian's nodejs and
# npm are installed only when npm is missing.
MCP_CLIENT_PACKAGES := nodejs npm
MCP_CLIENTS_DIR := tests/mcp/clients

.PHONY: run test test-sanitized test-newer-gnome fuzz deps desktop-deps wayland-deps fuzz-deps build-release build-test bench format \
        mcp-client-deps mcp-bench

# Installs whichever of the listed Debian packages are missing. The package lists are fetched
# once: a later list in the same run finds them fresh (under an hour old) and skips the update.
define install-missing
	@missing=$$(for p in $(1); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null \
	    | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing: $$missing"; \
	    { [ -n "$$(find /var/lib/apt/lists -maxdepth 1 -name '*_Packages*' -mmin -60 -print -quit)" ] || \
	      $(SUDO) apt-get update -qq; } && \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install-missing,$(PACKAGES))

desktop-deps: deps
	$(call install-missing,$(DESKTOP_PACKAGES))

wayland-deps: desktop-deps
	$(call install-missing,$(WAYLAND_PACKAGES))
	@if [ "$$(id -u)" = 0 ] && ! id -u $(WAYLAND_TEST_USER) >/dev/null 2>&1; then \
	    echo "Creating the system user $(WAYLAND_TEST_USER) for the Wayland tests"; \
	    useradd --system --user-group --home-dir /nonexistent --no-create-home \
	        --shell /usr/sbin/nologin $(WAYLAND_TEST_USER); \
	fi

fuzz-deps: deps
	$(call install-missing,$(FUZZ_PACKAGES))

# npm, then the clients pinned by the lock files (skipped when already installed from them).
mcp-client-deps:
	@command -v npm >/dev/null || { $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
	    $(SUDO) apt-get install -y -qq --no-install-recommends $(MCP_CLIENT_PACKAGES); }
	$(MCP_CLIENTS_DIR)/install.sh

build-release: deps
	cmake --preset default
	cmake --build --preset default --target vantrel

build-test: desktop-deps wayland-deps
	cmake --preset test
	cmake --build --preset test

run: build-release
	QT_QPA_PLATFORM=$${QT_QPA_PLATFORM:-offscreen} ./build/release/src/vantrel demo

# The suite again under AddressSanitizer (leak check on) and UndefinedBehaviorSanitizer.
# The headless GNOME Shell now and then turns a synthetic key or button into nothing under load,
# so its tests may run up to three times; every other test runs once.
test: build-test mcp-client-deps
	ctest --preset test -LE wayland
	ctest --preset test -L wayland --repeat until-pass:3
	$(MAKE) test-sanitized

test-sanitized: desktop-deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# The Wayland tests on GNOME Shell 48 (Debian 13, made once under NEWER_GNOME_ROOT) with the
# extension's ES-module form. Not part of `make test`: it downloads a second system.
NEWER_GNOME_ROOT ?= /var/cache/vantrel/newer-gnome
test-newer-gnome: build-test
	$(SUDO) tests/wayland/newer-gnome.sh $(NEWER_GNOME_ROOT) build/test --gtest_brief=1

# Runs every fuzz target for FUZZ_SECONDS; what it learns stays in build/fuzz/corpus.
fuzz: fuzz-deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	@for target in $(FUZZ_TARGETS); do \
	    seeds=fuzz/seeds/$$target; \
	    [ $$target = scene_loader ] && seeds="examples/scenes tests/accessibility/scenes"; \
	    echo "Fuzzing $$target for $(FUZZ_SECONDS) s"; \
	    mkdir -p build/fuzz/corpus/$$target build/fuzz/crashes/$$target && \
	    ./build/fuzz/fuzz/fuzz_$$target -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	        -artifact_prefix=build/fuzz/crashes/$$target/ build/fuzz/corpus/$$target $$seeds \
	        || exit 1; \
	done

# The desktop half runs on a private headless desktop; maim is only its yardstick, as libdeflate
# is only the PNG bench's; XTest and XFixes press the tray app's key and see the clipboard change;
# perf counts the clipboard server's CPU time.
# BASELINE=REV adds the build phases of a clean clone against that revision's (about half an hour
# on two cores).
BENCH_PACKAGES := maim libxcb-xtest0-dev libxcb-xfixes0-dev bc time libdeflate-dev linux-perf
bench: build-release desktop-deps wayland-deps
	$(call install-missing,$(BENCH_PACKAGES))
	cmake --preset default
	cmake --build --preset default --target capture_bench desktop_floor_bench atspi_walk_bench \
	    x11_capture_bench tray_hotkey_bench png_bench gnome_picture_bench gnome_hotkey_bench \
	    clipboard_server_bench vantrel_gnome_extension
	./build/release/bench/capture_bench
	./build/release/bench/png_bench
	bench/desktop_bench.sh build/release
	bench/gnome_bench.sh build/release
	@if [ -n "$(BASELINE)" ]; then bench/build_phases.sh HEAD $(BASELINE); fi
	$(MAKE) mcp-bench

# The MCP server on the simulated desktop: outline size against the snapshot JSON, and
# capture_window through the SDK client against `vantrel capture`.
mcp-bench: build-release mcp-client-deps
	$(MCP_CLIENTS_DIR)/node.sh bench/mcp_bench.mjs build/release/src/vantrel

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Installing and packaging (docs/install.md).
PREFIX ?= /usr/local

.PHONY: install deb packaging-deps

packaging-deps: deps
	$(call install-missing,$(PACKAGING_PACKAGES))

build-test: packaging-deps

# Honours PREFIX (default /usr/local) and DESTDIR.
install: deps
	cmake --preset default -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build --preset default --target vantrel vantrel_data
	DESTDIR="$(DESTDIR)" cmake --install build/release

# vantrel_<version>_<arch>.deb in this folder.
deb: packaging-deps
	cmake --preset default
	cmake --build --preset default --target vantrel vantrel_data
	rm -f build/release/package/vantrel_*.deb
	cd build/release && cpack -G DEB
	cp -v build/release/package/vantrel_*.deb .
