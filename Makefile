# SPDX-License-Identifier: ISC
# A thin layer over the CMake presets. `make demo` and `make test` are all a fresh clone needs:
# each first installs the Debian packages it lacks (scripts/deps.sh).
PREFIX ?= /usr/local
BUILD := build/release
DEPS := bash scripts/deps.sh

.PHONY: all build demo test sanitize lint bench install package dist clean

all: build

build:
	@$(DEPS) build
	cmake --preset release >/dev/null
	cmake --build --preset release

demo: build
	@echo '$$ powlog 2 10'; $(BUILD)/powlog/powlog 2 10
	@echo '$$ powlog 3 4'; $(BUILD)/powlog/powlog 3 4
	@echo '$$ greeter'; $(BUILD)/greeter/greeter
	@echo "$$ printf 'a sample line\\\\n' >sample; echoback 1<sample"; \
	 printf 'a sample line\n' >$(BUILD)/sample; $(BUILD)/echoback/echoback 1<$(BUILD)/sample

test:
	@$(DEPS) test
	cmake --workflow --preset default

sanitize:
	@$(DEPS) test
	cmake --workflow --preset sanitize

lint:
	@$(DEPS) test lint
	cmake --workflow --preset lint

bench:
	@$(DEPS) build
	bash bench/run.sh

install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

package:
	@$(DEPS) package
	cmake --preset package >/dev/null
	cmake --build --preset package
	@# The .deb's ar headers keep the modes of cpack's temporary files, which follow the umask.
	cd build/package && umask 022 && cpack -G DEB

dist:
	@$(DEPS) build
	cmake --preset release >/dev/null
	cmake --build --preset release --target dist

clean:
	rm -rf build
