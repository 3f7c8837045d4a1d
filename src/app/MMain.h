#pragma once

// The start procedure: set-up check, settings, login or straight to the main menu.
void Main();
