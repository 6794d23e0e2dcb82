# The two commands of the README: `make run` and `make test`; also
# `make package`, the Debian package in the build folder.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build deps package hardening

deps:
	./scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./scripts/run-simulator.sh $(BUILD)

package: build
	cmake --build $(BUILD) --target package

test: package
	./packaging/check-package.sh $(BUILD)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

# Sanitizer and thread-checker runs of the tests, then the fuzz targets.
hardening: deps
	./scripts/hardening.sh
