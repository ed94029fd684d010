// The main window's own surface (its central widget): the controls sit on it, and text printed
// on it stays there, one line under the other, below the controls.
#pragma once

#include <QList>
#include <QPoint>
#include <QString>
#include <QWidget>

class PrintSurface : public QWidget
{
    Q_OBJECT
public:
    explicit PrintSurface(QWidget *parent = nullptr);

    // Writes the text at the current text position in the window text colour and moves the
    // position to the start of the next line.
    void Print(const QString &text);

    QPoint currentPosition() const { return m_position; }

    struct PrintedText
    {
        QPoint topLeft;
        QString text;
    };
    const QList<PrintedText> &printed() const { return m_printed; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPoint m_position;
    QList<PrintedText> m_printed;
};
