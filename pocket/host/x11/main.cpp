#include <x11/x11.h>

int main(int argc, char** argv) { return pk::x11Main(argc, argv, WinMain, pkProgramModule); }
