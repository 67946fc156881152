# Set-up commands; each installs what the machine lacks first.
.PHONY: test setup native windows clean

test: setup windows native

setup:
	@scripts/setup.sh

# The logic and its native tests on Linux.
native: setup
	cmake --preset native
	cmake --build --preset native
	ctest --preset native

# The logic for 32-bit Windows, to prove it builds there.
windows: setup
	cmake --preset windows
	cmake --build --preset windows

clean:
	rm -rf build
