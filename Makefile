# The two commands that matter: `make demo` and `make test`. Each installs what it needs.
SHELL := /bin/bash
PRESETS := host host-sanitize win64 win32

.PHONY: deps build test demo test-win32 vm32-image clean

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
