# Entry points for people and CI. Each target installs what it needs first.
.PHONY: deps test run bench format

deps:
	./tools/install-deps.sh

test: deps
	./tools/run-tests.sh

run: deps
	./tools/run-program.sh

bench: deps
	./tools/run-bench.sh

format:
	clang-format -i core/*.h core/*.cpp audio/*.h audio/*.cpp ui/*.h ui/*.cpp tests/*/*.h tests/*/*.cpp tools/*.cpp tools/bench/*.cpp 2>/dev/null || true
