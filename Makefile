# The two set-up commands: `make run` and `make test`. Each installs the Debian packages it needs.
PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev qcoro-qt6-dev libgtest-dev libgmock-dev \
            libturbojpeg0-dev libpng-dev zlib1g-dev fonts-dejavu-core
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: run test deps build-release build-test bench format

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null \
	    | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing: $$missing"; \
	    $(SUDO) apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

build-release: deps
	cmake --preset default
	cmake --build --preset default --target vantrel

build-test: deps
	cmake --preset test
	cmake --build --preset test

run: build-release
	QT_QPA_PLATFORM=$${QT_QPA_PLATFORM:-offscreen} ./build/release/src/vantrel demo

test: build-test
	ctest --preset test

bench: build-release
	cmake --build --preset default --target capture_bench
	./build/release/bench/capture_bench

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i
