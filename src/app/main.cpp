#include "shell/startup.h"

int main(int argc, char** argv) { return modStart::Main(argc, argv); }
