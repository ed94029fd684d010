// Fix-ups shared by the main window and the rotation calculator.
#include "ui/form_design.h"

#include <QGuiApplication>
#include <QIcon>
#include <QRegularExpression>
#include <QScreen>
#include <QWidget>

namespace FormDesign {

void nameControlArrays(QWidget *form)
{
    static const QRegularExpression arrayMember(QStringLiteral("^(\\w+?)_(\\d+)$"));
    const QList<QWidget *> children = form->findChildren<QWidget *>();
    for (QWidget *child : children) {
        const QRegularExpressionMatch match = arrayMember.match(child->objectName());
        if (match.hasMatch())
            child->setObjectName(
                match.captured(1) + QLatin1Char('(') + match.captured(2) + QLatin1Char(')'));
    }
}

void setFractionalFonts(std::initializer_list<std::pair<QWidget *, qreal>> fonts)
{
    for (const auto &[widget, points] : fonts) {
        QFont font = widget->font();
        font.setPointSizeF(points);
        widget->setFont(font);
    }
}

void setIcon(QWidget *window, const QString &icon16, const QString &icon32)
{
    QIcon icon;
    icon.addFile(icon32);
    icon.addFile(icon16);
    window->setWindowIcon(icon);
}

void centreOnScreen(QWidget *window)
{
    const QWidget *owner = window->parentWidget();
    if (const QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

} // namespace FormDesign
