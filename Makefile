# Two commands for a newcomer: `make run` and `make test` (see README.md).
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 45
RUN_DIR := build/release
TEST_DIR := build/test
FUZZ_DIR := build/fuzz
BENCH_DIR := build/bench

.PHONY: run test build-release unit-tests fuzz bench

# The game and zf-replay, both in $(RUN_DIR)/game beside the game's pictures and sounds.
run: build-release
	cd $(RUN_DIR)/game && ./zorbly-frondles

build-release:
	@sh tools/install-deps.sh run
	cmake -S . -B $(RUN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZF_TESTS=OFF
	cmake --build $(RUN_DIR) -j $(JOBS)

test: fuzz unit-tests
	@sh tools/test_ratio.sh

unit-tests:
	@sh tools/install-deps.sh test
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DZF_SANITIZE=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

# Every fuzz target runs for a bounded time over its seed corpus; a crash, a leak, undefined
# behaviour or an input slower than FUZZ_TIMEOUT seconds fails the run and leaves its input
# beside the target for a regression case. Paths are absolute: a target may change folder.
# The loaders' own lines about refused inputs are dropped (-close_fd_mask=2); the fuzzer's
# and the sanitizers' reports still show. fuzz/<target>.flags holds a target's own extra
# flags.
# The seed is fixed, so the test command tries much the same inputs on every run (the
# search also steers by compared values, which may differ between machines); a fresh
# search is `make fuzz FUZZ_SEED=0 FUZZ_SECONDS=600` (0: a new seed each run).
FUZZ_TIMEOUT ?= 10
FUZZ_SEED ?= 1
fuzz:
	@sh tools/install-deps.sh test
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=Debug -DZF_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz-targets
	@for target in $(CURDIR)/$(FUZZ_DIR)/fuzz/fuzz_*; do \
	  [ -x "$$target" ] || continue; \
	  name=$$(basename $$target); \
	  echo "fuzzing $$name for $(FUZZ_SECONDS) s"; \
	  mkdir -p $(CURDIR)/$(FUZZ_DIR)/corpus/$$name; \
	  SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=dummy UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  $$target -seed=$(FUZZ_SEED) -max_total_time=$(FUZZ_SECONDS) -timeout=$(FUZZ_TIMEOUT) -close_fd_mask=2 \
	    $$(grep -sv '^#' $(CURDIR)/fuzz/$$name.flags) \
	    -print_final_stats=1 -artifact_prefix=$(CURDIR)/$(FUZZ_DIR)/$$name- \
	    $(CURDIR)/$(FUZZ_DIR)/corpus/$$name $(CURDIR)/fuzz/corpus/$$name || exit 1; \
	done

# One run prints one table (tools/bench_table.py): headless figures on SDL's software
# renderer, then the real-window passes under Xvfb on the renderer the game picks there
# (-noreset: a server that resets when its last window closes refuses the next one).
bench:
	@sh tools/install-deps.sh bench
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DZF_BENCH=ON -DZF_TESTS=OFF
	cmake --build $(BENCH_DIR) -j $(JOBS) --target zf_bench zf_bench_game
	cd $(BENCH_DIR)/game && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ../bench/zf_bench \
	  --benchmark_out=../bench.json --benchmark_out_format=json
	cd $(BENCH_DIR)/game && SDL_VIDEODRIVER=dummy SDL_RENDER_DRIVER=software ../bench/zf_bench_game \
	  --benchmark_filter=-RealWindow --benchmark_out=../bench_game.json --benchmark_out_format=json
	cd $(BENCH_DIR)/game && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" env SDL_VIDEODRIVER=x11 \
	  ../bench/zf_bench_game --benchmark_filter=RealWindow \
	  --benchmark_out=../bench_window.json --benchmark_out_format=json
	@echo
	@python3 tools/bench_table.py $(BENCH_DIR)/bench.json $(BENCH_DIR)/bench_game.json \
	  $(BENCH_DIR)/bench_window.json
