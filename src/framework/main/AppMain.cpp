// The program's entry point: hands the C runtime's arguments to the framework's start-up.
#include "framework/WinApp.h"

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
