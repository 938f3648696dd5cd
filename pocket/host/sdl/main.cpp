#include <sdl/sdl.h>

int main(int argc, char** argv) { return pk::sdlMain(argc, argv, WinMain, pkProgramModule); }
