// The floor of the start-up benchmark, a program of its own that links Qt Widgets and nothing
// else: a bare Qt window showing one Chinese label.
#include "bench/app/FirstPaint.h"

int main(int argc, char** argv) {
    return exambell::bench::runBareWindow(argc, argv);
}
