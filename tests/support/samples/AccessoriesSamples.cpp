// Sample content of the windows of the desk accessories, for their pictures.

#include "Samples.h"

#include "accessories/frmCalc.h"
#include "accessories/frmCalendar.h"

namespace {

// A sum under way: 1234.5 times 2, with its result showing.
void calculation(QWidget *window)
{
    auto *calc = static_cast<frmCalc *>(window);
    calc->ensureLoaded();
    for (const int key : {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_Period, Qt::Key_5,
                          Qt::Key_Asterisk, Qt::Key_2, Qt::Key_Equal})
        calc->KeyDown(key, Qt::NoModifier);
}

// Today's month, with a later day of it chosen.
void chosenDay(QWidget *window)
{
    auto *calendar = static_cast<frmCalendar *>(window);
    calendar->ensureLoaded();
    calendar->KeyDown(Qt::Key_Down, Qt::NoModifier);
    calendar->KeyDown(Qt::Key_Right, Qt::NoModifier);
}

} // namespace

WindowSamples AccessoriesSamples()
{
    return {
            {QStringLiteral("frmCalc"), {calculation, {}}},
            {QStringLiteral("frmCalendar"), {chosenDay, {}}},
    };
}
