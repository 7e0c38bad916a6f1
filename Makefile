# Entry points for a fresh Debian 12 machine: `make demo` and `make test`.
BUILD   ?= build
PREFIX  := $(abspath $(BUILD))/wineprefix
export WINEPREFIX := $(PREFIX)
export WINEDEBUG := -all
export WINEARCH := win64
export WINEDLLOVERRIDES := mscoree,mshtml=
# ccache, where installed, makes rebuilds in other checkouts cheap; paths are taken relative to here.
CCACHE := $(shell command -v ccache 2>/dev/null)
export CCACHE_BASEDIR := $(CURDIR)

.PHONY: all setup configure build test demo bench stress package clean

all: build

setup:
	@scripts/setup.sh

$(BUILD)/build.ninja:
	@$(MAKE) --no-print-directory setup
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
		$(if $(CCACHE),-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

configure: $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD)

test: build
	scripts/with-wine.sh ctest --test-dir $(BUILD) --output-on-failure

# Seeded hostile sequences and environments at full size; SEED=n repeats another run.
stress: build
	scripts/with-wine.sh /usr/lib/wine/wine64 $(BUILD)/stress.exe --sequences 10000 --environments 1000 --seed $(or $(SEED),1)

# The signed installer and the Windows 11 package, in $(BUILD)/package (KR_SIGN_PFX and
# KR_SIGN_PASSWORD name the vendor's certificate; without them a throwaway one is made).
package: build
	packaging/make_package.py --build $(BUILD)

demo: package
	scripts/with-wine.sh scripts/demo.sh $(BUILD)

# Speed of the registered handlers against floors measured in the same run; BENCH_ARGS=--huge
# adds 100,000 items, --dll FILE measures another build of the library.
bench: build
	scripts/with-wine.sh scripts/bench.sh $(BUILD) $(BENCH_ARGS)

clean:
	rm -rf $(BUILD)
