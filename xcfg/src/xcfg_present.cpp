// Presence marker of the configuration library: nothing calls it.
extern "C" void libxcfg_is_present() {}
