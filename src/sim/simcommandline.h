#pragma once
// The command line of vexor-sim.

#include "sim/simoptions.h"

#include <QString>
#include <QStringList>

namespace wavix {

struct SimCommandLine {
    enum class Outcome { Run, Help, Version, Error };
    Outcome outcome = Outcome::Error;
    SimOptions options;
    QString text; // help, version or the error to show
};

// `arguments` includes the program name first, as QCoreApplication::arguments() does.
SimCommandLine ParseSimCommandLine(const QStringList& arguments);

} // namespace wavix
