// Presence markers of the logging library: nothing calls them.
extern "C" void liblogger_is_present() {}
extern "C" void zarn_logger_is_present() {}
