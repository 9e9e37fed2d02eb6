// The process entry on systems whose programs start at main.
#include "shell/main_loop.h"

int main() { return WinMain(nullptr, nullptr, nullptr, 0); }
