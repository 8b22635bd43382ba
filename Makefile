# The two commands that matter: `make demo` and `make test`. Each installs what it needs.
SHELL := /bin/bash
PRESETS := host host-sanitize fuzz win64 win32

.PHONY: deps build test demo test-win32 vm32-image fuzz clean

deps:
	@tools/install-deps.sh

build: deps
	@for p in $(PRESETS); do \
	  cmake --preset $$p >/dev/null && cmake --build --preset $$p || exit 1; \
	done

test: build
	@tools/run-tests.sh $(PRESETS)

demo:
	@echo "make demo arrives with the sample panel; for now: make test"

clean:
	rm -rf build

# Longer fuzzing runs than the few seconds each fuzzer gets in make test.
FUZZ_SECONDS ?= 300
fuzz: deps
	@cmake --preset fuzz >/dev/null && cmake --build --preset fuzz
	@set -e; for f in build/fuzz/tests/fuzz/*_fuzz; do \
	  echo "=== $$f for $(FUZZ_SECONDS) s"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 build/fuzz/tests/fuzz/corpus/$$(basename $$f); \
	done
