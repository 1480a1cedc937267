// quendle_diff: compares two execution traces instruction by instruction.
#include "diff_app.h"

int main(int argc, char** argv) { return quendle_diff_main(argc, argv); }
