#include "LinkedWindows.h"
#include "TestRegistry.h"

// Each test program runs the test classes it gathered, over the windows of what it links: they
// are registered before any class runs, as data functions list them.
int main(int argc, char **argv)
{
    RegisterLinkedWindows();
    return testing::RunAll(argc, argv);
}
