// A small shared object for the library-loading tests: one exported function.
extern "C" __attribute__((visibility("default"))) int LinkstartTestModuleValue() { return 42; }
