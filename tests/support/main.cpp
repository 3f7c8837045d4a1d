#include "TestRegistry.h"

// Each test program runs the test classes it gathered.
int main(int argc, char **argv)
{
    return testing::RunAll(argc, argv);
}
