# The two commands a newcomer needs:
#   make run    installs what is missing, builds, starts EmuVOLA
#   make test   installs what is missing, builds, runs every test headless
#   make package  builds the Debian package build/emuvola_<version>_<arch>.deb
BUILD ?= build
JOBS  ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: run test deps configure build clean package

deps:
	@bash tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@bash tools/run-emuvola.sh $(BUILD)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

package: build
	@bash tools/install-deps.sh dpkg-dev desktop-file-utils
	@cd $(BUILD) && cpack -G DEB
	@ls -1 $(BUILD)/emuvola_*.deb

clean:
	rm -rf $(BUILD) build-asan build-tsan
