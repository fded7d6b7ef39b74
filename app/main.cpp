// The entry point of a Zendalo program: the shell runs the program's description to its end.
#include <windows.h>

#include "app/shell.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return zendalo::RunProgram(zendalo::ThisProgram()); }
