#pragma once

// The shared entry of the window benchmarks: a private home, every provider pointed at a closed
// loopback port (a window asks for its first row's quote while it starts, and a benchmark must never
// reach a real host), the offscreen platform and the program's identity; then Google Benchmark runs.
int runGuiBenchmarks(int argc, char **argv);
