#include <headless/headless.h>

int main(int argc, char** argv) { return pk::headlessMain(argc, argv, WinMain, pkProgramModule); }
