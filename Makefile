# SPDX-License-Identifier: GPL-3.0-or-later
# Set-up, build, run and test on a Debian machine (as root or with sudo).
#   make run    installs what is missing, builds the program and its tools, starts Kestrav
#   make test   installs what is missing, builds everything, runs every test
#   make package builds the Debian package (build/kestrav_<version>_<arch>.deb)

BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
PACKAGES := $(shell grep -v '^\s*\#' debian-packages.txt)

.PHONY: deps configure build programs run test bench package format clean

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

# Everything: the program, its tools, the tests and the benchmarks.
build: configure
	cmake --build $(BUILD) -j$(JOBS)

# The program and the tools installed beside it only, for `make run`.
programs: configure
	cmake --build $(BUILD) -j$(JOBS) --target kestrav_programs

run: programs
	$(BUILD)/kestrav

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

package: build
	cd $(BUILD) && cpack

bench: build
	bench/run-all $(BUILD)

format:
	cmake --build $(BUILD) --target format

clean:
	rm -rf $(BUILD)
