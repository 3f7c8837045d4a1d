#pragma once

// Registers the windows of every folder of src/ this program links (its Register...Windows()),
// as the program's start-up does. Compiled into each program over the fixture, which calls it,
// so that a test program sees the windows of what it links and of nothing else.
void RegisterLinkedWindows();
