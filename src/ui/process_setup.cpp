// Process-wide set-up of the windows.
#include "ui/process_setup.h"

#include <QFont>
#include <QtGlobal>

void setUpUiProcess()
{
    // A static library's resources are registered only when asked for by name.
    Q_INIT_RESOURCE(resources);
    // The forms were laid out for the old bitmap dialog font; Liberation Sans has nearly its
    // metrics, where the usual fallback is wide enough to cut captions off.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
}
