# Lumivex: `make run` to watch the show, `make test` to run the whole suite.
# Both install what is missing first (scripts/install-deps asks for nothing when all is there).

BUILD      ?= build
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: run test build deps configure fuzz clean

run: build
	./$(BUILD)/lumivex

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The unit and end-to-end tests, then a short run of every fuzzer (a clang build of its own).
test: build fuzz
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DLUMIVEX_FUZZ=ON -DLUMIVEX_TESTS=OFF >/dev/null
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	cd $(FUZZ_BUILD) && ctest --output-on-failure

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
