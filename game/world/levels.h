// The level sequence: upgrades and messages between letters, and the ending.
#pragma once

// start is true only for the single call at start-up.
void setUpLevel(bool start);
