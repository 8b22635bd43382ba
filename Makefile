# The two commands that matter: `make demo` and `make test`. Each installs what it needs.
SHELL := /bin/bash
PRESETS := host host-sanitize fuzz win64 win32

.PHONY: deps build test demo test-win32 vm32-image wine10-check fuzz package bench clean soak csharp-bindings

deps:
	@tools/install-deps.sh

build: deps
	@for p in $(PRESETS); do \
	  cmake --preset $$p >/dev/null && cmake --build --preset $$p || exit 1; \
	done

test: build
	@status=0; tools/run-tests.sh $(PRESETS) || status=1; tools/dotnet-tests.sh || status=1; exit $$status

# The sample panel against the simulated unit: its window on your display, or without one a
# scripted run on a virtual display that prints each result and saves a screenshot.
demo: deps
	@tools/demo.sh

# The SDK zip in build/sdk (cmake/Package.cmake): the win64 build's 64-bit DLL and lib64/ with
# the win32 build's files, put together by cmake/CombineBuilds.cmake; beside it the NuGet packages
# TarvenK3 and TarvenK3.Simulator made from it (tools/pack-nuget.sh), and SHA256SUMS of all three.
# Signed when TARVEN_SIGN_PFX and TARVEN_SIGN_PASSWORD name the certificate (cmake/Authenticode.cmake).
package: deps
	@cmake --preset win64 >/dev/null && cmake --build --preset win64 --target sdk_files
	@cmake --preset win32 >/dev/null && cmake --build --preset win32 --target sdk_files
	@cmake -DWIN32_BUILD=$(CURDIR)/build/win32 -DWIN64_BUILD=$(CURDIR)/build/win64 -DPART=sdk \
	       -DDESTINATION=$(CURDIR)/build/sdk -P cmake/CombineBuilds.cmake >/dev/null
	@tools/pack-nuget.sh build/sdk
	@echo "SDK package and NuGet packages, with their SHA-256 (build/sdk/SHA256SUMS):"
	@sed 's|  |  build/sdk/|' build/sdk/SHA256SUMS

clean:
	rm -rf build

# The .NET package's declarations, written from the function list (the host tests check them).
csharp-bindings: deps
	@cmake --preset host >/dev/null && cp build/host/function-tables/Native.g.cs dotnet/TarvenK3/Native.g.cs

# Longer fuzzing runs than the few seconds each fuzzer gets in make test.
FUZZ_SECONDS ?= 300
fuzz: deps
	@cmake --preset fuzz >/dev/null && cmake --build --preset fuzz
	@set -e; for f in build/fuzz/tests/fuzz/*_fuzz; do \
	  echo "=== $$f for $(FUZZ_SECONDS) s"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 build/fuzz/tests/fuzz/corpus/$$(basename $$f); \
	done

# The radio's figures (not timed tests): port accesses per call, the library's time per port
# access with the port calls made free, and a station detection's wall time on the simulator.
bench: deps
	@cmake --preset host >/dev/null && cmake --build --preset host --target radio_bench_free_ports radio_bench_simulator scan_bench_simulator
	@build/host/bench/radio_bench_free_ports && build/host/bench/radio_bench_simulator && build/host/bench/scan_bench_simulator
	@$(MAKE) --no-print-directory package >/dev/null
	@bench/binary-sizes.sh build/win32/bin
	@echo "shipped in the SDK zip, beside their limits:"
	@zip=$$(ls -t build/sdk/TarvenK3-SDK-*.zip | head -1) && version=$${zip##*/TarvenK3-SDK-} && \
	  /usr/bin/python3 tests/static/check_binaries.py --package $$zip --version $${version%.zip}
	@cmake --preset win64 >/dev/null && cmake --build --preset win64 --target bridge_bench >/dev/null && cd build/win64/bin && ../../../tests/wine/wine64.sh $(CURDIR)/build/win64 bridge_bench.exe

# The library side by side with its reference model over many more random call sequences than
# make test runs: SOAK_SEQUENCES sequences of SOAK_LENGTH calls, seeds from SOAK_SEED on.
SOAK_SEQUENCES ?= 10000
SOAK_LENGTH ?= 500
SOAK_SEED ?= 1000001
soak: deps
	@cmake --preset host >/dev/null && cmake --build --preset host --target model_check
	@build/host/tests/model/model_check --sequences $(SOAK_SEQUENCES) --length $(SOAK_LENGTH) --first-seed $(SOAK_SEED)

# The virtual machine that runs the 32-bit Windows tests where this kernel cannot.
vm32-image:
	@tools/vm32/build-image.sh

# A .NET program under Wine 10 (tools/wine10), published for win-x64 and win-x86 and run as both.
wine10-check: deps
	@tests/wine10/check.sh

# Just the 32-bit Windows tests.
test-win32: deps
	@cmake --preset win32 >/dev/null && cmake --build --preset win32
	@ctest --preset win32 -R 'win32'
