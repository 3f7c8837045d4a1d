#include "Samples.h"

namespace {

const WindowSamples &all()
{
    static const WindowSamples samples = [] {
        WindowSamples merged;
        for (const WindowSamples &folder :
             {AppSamples(), ReportsSamples(), SecuritySamples(), AccessoriesSamples(),
              CatalogueSamples(), SnippetsSamples(), WebsitesSamples()})
            merged.insert(folder.begin(), folder.end());
        return merged;
    }();
    return samples;
}

} // namespace

WindowSample SampleOf(const QString &name)
{
    const auto found = all().find(name);
    return found == all().end() ? WindowSample{} : found->second;
}

QStringList SampledWindows()
{
    QStringList names;
    for (const auto &[name, sample] : all())
        names << name;
    return names;
}
