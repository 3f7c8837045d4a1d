#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <map>

class QWidget;

// The sample content of a window, for its pictures (make screenshots) and for the hostile-input
// walk: values typed or rows stored before it is first shown, and further views of the same
// window, each saved under the window's name and the view's suffix. The program itself never
// shows it.
struct WindowSample
{
    using Step = std::function<void(QWidget *window)>;
    struct View
    {
        QString suffix;
        Step step;
    };
    Step stage;
    QList<View> views;
};

// The named window's sample; an empty one for a window that shows nothing special.
WindowSample SampleOf(const QString &name);
// Every window that has a sample, by name.
QStringList SampledWindows();

// The samples of each folder's windows, by window name.
using WindowSamples = std::map<QString, WindowSample>;
WindowSamples AppSamples();
WindowSamples ReportsSamples();
WindowSamples SecuritySamples();
WindowSamples AccessoriesSamples();
WindowSamples CatalogueSamples();
WindowSamples SnippetsSamples();
WindowSamples WebsitesSamples();
