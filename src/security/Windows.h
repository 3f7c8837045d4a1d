#pragma once

// Adds the windows of users and security to the program's window catalogue (see
// platform/ui/WindowCatalogue.h). Called once at start-up by every program that links this
// folder; calling it again changes nothing.
void RegisterSecurityWindows();
