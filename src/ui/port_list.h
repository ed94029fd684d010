// The port list: a combo box that says when its list is about to open, so its entries' tooltips
// can say what is plugged in at that moment rather than being polled for it.
#pragma once

#include <QComboBox>

class PortList : public QComboBox
{
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void showPopup() override;

Q_SIGNALS:
    void aboutToShowPopup();
};
