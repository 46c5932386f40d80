// The linkstart program: a thin entry over the start-up in launcher/startup.cpp.
#include "launcher/startup.h"

int main(int argc, char** argv) { return launcher::Main(argc, argv); }
