#include <win32/win32.h>

int main(int argc, char** argv) { return pk::windowsMain(argc, argv, WinMain, pkProgramModule); }
