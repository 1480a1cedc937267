// Presence marker of the execution-trace library: nothing calls it.
extern "C" void libetrace_is_present() {}
