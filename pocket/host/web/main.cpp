#include <web/web.h>

int main() { return pk::webMain(WinMain, pkProgramModule); }
