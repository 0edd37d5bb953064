#include "game/loop/game.h"

int main() { return runGame(); }
