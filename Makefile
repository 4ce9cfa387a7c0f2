# SPDX-License-Identifier: ISC
# A thin layer over the CMake presets. `make demo` and `make test` are all a fresh clone needs:
# each first installs the Debian packages it lacks (scripts/deps.sh).
PREFIX ?= /usr/local
BUILD := build/release
DEPS := bash scripts/deps.sh
VERSION := $(shell sed -n 's/^  VERSION //p' CMakeLists.txt)

.PHONY: all build demo test test-clang test-cross test-kernel test-arm64 sanitize lint bench install uninstall package dist clean

# Configure, build and run the suite with one preset.
suite = cmake --preset $(1) && cmake --build --preset $(1) && ctest --preset $(1)

all: build

# Configured once; after that the build itself configures again when a CMakeLists.txt changes.
build:
	@$(DEPS) build
	@[ -f $(BUILD)/build.ninja ] || cmake --preset release >/dev/null
	cmake --build --preset release

demo: build
	@echo '$$ powlog 2 10'; $(BUILD)/powlog/powlog 2 10
	@echo '$$ powlog 3 4'; $(BUILD)/powlog/powlog 3 4
	@echo '$$ greeter'; $(BUILD)/greeter/greeter
	@echo "$$ printf 'a sample line\\\\n' >sample; echoback 1<sample"; \
	 printf 'a sample line\n' >$(BUILD)/sample; $(BUILD)/echoback/echoback 1<$(BUILD)/sample

test:
	@$(DEPS) test
	$(call suite,default)

# The same suite, built by clang.
test-clang:
	@$(DEPS) clang
	$(call suite,clang)

# Cross-built for a Debian architecture (make test-cross ARCH=armhf) in build/ARCH, and the
# suite run under qemu-user.
test-cross:
	$(if $(ARCH),,$(error make test-cross needs ARCH, a Debian architecture: ARCH=armhf))
	@ARCH=$(ARCH) $(DEPS) cross
	export ARCH=$(ARCH) && $(call suite,cross)

# The same build, its rows run under Debian's own kernel for ARCH in qemu-system.
test-kernel:
	$(if $(ARCH),,$(error make test-kernel needs ARCH, a Debian architecture: ARCH=s390x))
	bash scripts/kernel.sh $(ARCH)

test-arm64:
	$(MAKE) test-cross ARCH=arm64

sanitize:
	@$(DEPS) test
	$(call suite,sanitize)

lint:
	@$(DEPS) test lint
	$(call suite,lint)

bench:
	@$(DEPS) build
	bash bench/run.sh

install: build
	bash scripts/install.sh $(BUILD) "$(PREFIX)"

uninstall: build
	bash scripts/uninstall.sh $(BUILD) "$(PREFIX)"

# dpkg-buildpackage writes beside the source folder, so it builds a copy of the tree inside
# build/package: the packages, .changes and .buildinfo land there, and the tree stays clean.
package:
	@$(DEPS) package
	rm -rf build/package
	mkdir -p build/package/conbits-$(VERSION)
	tar -c --exclude=./build --exclude=./.git . | tar -x -C build/package/conbits-$(VERSION)
	cd build/package/conbits-$(VERSION) && dpkg-buildpackage -us -uc -b
	rm -rf build/package/conbits-$(VERSION)
	@ls build/package

# The tracked files of the commit checked out, under one folder, with modes that do not follow
# whoever's umask.
dist:
	$(if $(filter $(CURDIR),$(shell git rev-parse --show-toplevel 2>/dev/null)),,\
	 $(error make dist needs a git clone: the tarball holds the files that git tracks))
	mkdir -p build/release
	git -c tar.umask=0022 archive --format=tar.gz --prefix=conbits-$(VERSION)/ \
	 -o build/release/conbits-$(VERSION).tar.gz HEAD
	@echo build/release/conbits-$(VERSION).tar.gz

clean:
	rm -rf build
