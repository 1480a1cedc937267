// quendle_dump: disassembles one instruction word, with every extension
// enabled, and logs the word, its text and its instruction identifier.
#include "dump_app.h"

int main(int argc, char** argv) { return quendle_dump_main(argc, argv); }
