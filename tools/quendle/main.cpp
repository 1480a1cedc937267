// quendle: turns one execution trace into a formatted output file.
#include "quendle_app.h"

int main(int argc, char** argv) { return quendle_main(argc, argv); }
