// The port list's announcement of its opening.
#include "ui/port_list.h"

void PortList::showPopup()
{
    Q_EMIT aboutToShowPopup();
    QComboBox::showPopup();
}
