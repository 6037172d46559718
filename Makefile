# The two commands a newcomer needs:
#   make run    installs what is missing, builds, starts EmuVOLA
#   make test   installs what is missing, builds, runs every test headless
#   make package  builds the Debian package build/emuvola_<version>_<arch>.deb
#   make windows       cross-builds the plain libraries, their tests and the
#                      programs without windows for Windows into build-windows/,
#                      and packs build-windows/emuvola-windows.zip
#   make test-windows  runs those tests under wine, and the Windows serial and
#                      network ports against the simulator on Linux
BUILD ?= build
BUILD_WINDOWS ?= build-windows
JOBS  ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: run test deps configure build clean package windows test-windows check-platform-includes

deps:
	@bash tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@bash tools/run-emuvola.sh $(BUILD)

test: build
	@bash tools/check-platform-includes.sh
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

check-platform-includes:
	@bash tools/check-platform-includes.sh

windows:
	@bash tools/install-deps.sh --only cmake make g++-mingw-w64-x86-64-posix googletest
	@cmake -S . -B $(BUILD_WINDOWS) -DCMAKE_TOOLCHAIN_FILE=tools/windows/mingw-w64.cmake \
	  -DEMU_WITH_QT=OFF -DEMU_GTEST_SOURCE_DIR=/usr/src/googletest -DCMAKE_BUILD_TYPE=Release \
	  $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_WINDOWS) -j$(JOBS)
	@ls -1 $(BUILD_WINDOWS)/emuvola-windows.zip

test-windows: windows
	@bash tools/install-deps.sh --only wine64 g++ libgtest-dev
	@bash tools/windows/test-windows.sh $(BUILD_WINDOWS) $(JOBS)

package: build
	@bash tools/install-deps.sh dpkg-dev desktop-file-utils
	@cd $(BUILD) && cpack -G DEB
	@ls -1 $(BUILD)/emuvola_*.deb

clean:
	rm -rf $(BUILD) build-asan build-tsan $(BUILD_WINDOWS)
