#pragma once

#include <QObject>

#include <functional>
#include <memory>

// Each test executable gathers its test classes here; the shared main runs them all.
namespace testing {

using Factory = std::function<std::unique_ptr<QObject>()>;
int Register(const char *name, Factory factory);
int RunAll(int argc, char **argv);

} // namespace testing

#define REGISTER_TEST(Class) \
    static const int registered_##Class = \
            testing::Register(#Class, [] { return std::make_unique<Class>(); });
