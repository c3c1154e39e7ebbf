# Shortcuts for ./dev.sh, the project's front door.
.PHONY: run test bench deb samples format clean
run:
	./dev.sh run $(ARGS)
test:
	./dev.sh test
bench:
	./dev.sh bench
deb:
	./dev.sh deb
samples:
	./scripts/make-samples.sh
format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i
clean:
	rm -rf build build-asan build-ci build-release
