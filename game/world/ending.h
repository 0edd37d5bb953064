// The closing texts, the credits and the fireworks after the last letter.
#pragma once

void playEnding();
