// The first floor for startup_bench: an empty window of the input window's
// size.

#include "floor_window.h"

int main(int argc, char* argv[]) {
  return bench::RunFloorWindow(argc, argv, [](QWidget&) {});
}
