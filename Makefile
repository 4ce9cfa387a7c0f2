# A thin layer over the CMake presets. `make demo` and `make test` are all a fresh clone needs.
PREFIX ?= /usr/local
BUILD := build/default

.PHONY: all build demo test sanitize lint bench install package clean

all: build

build:
	cmake --preset default >/dev/null
	cmake --build --preset default

demo: build
	@echo '$$ powlog 2 10'; $(BUILD)/powlog/powlog 2 10
	@echo '$$ powlog 3 4'; $(BUILD)/powlog/powlog 3 4
	@echo '$$ greeter'; $(BUILD)/greeter/greeter
	@echo "$$ printf 'a sample line\\\\n' >sample; echoback 1<sample"; \
	 printf 'a sample line\n' >$(BUILD)/sample; $(BUILD)/echoback/echoback 1<$(BUILD)/sample

test:
	cmake --workflow --preset default

sanitize:
	cmake --workflow --preset sanitize

lint:
	cmake --workflow --preset lint

bench:
	bash bench/run.sh

install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf build
