#include "app/win_main.h"

int main() { return WinMain(); }
