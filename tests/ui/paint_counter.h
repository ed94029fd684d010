// Counts the paint events a widget receives, and the window updates they come in, for the checks
// that fast changes repaint at the frame rate, in step, and not once per change.
#pragma once

#include <QEvent>
#include <QHash>
#include <QObject>
#include <QWidget>

#include <initializer_list>

// Counts the events of one type an object receives.
struct EventCounter : QObject
{
    EventCounter(QEvent::Type type, int *count, QObject *parent = nullptr)
        : QObject(parent)
        , m_type(type)
        , m_count(count)
    {
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == m_type)
            ++*m_count;
        return false;
    }

private:
    QEvent::Type m_type;
    int *m_count;
};

struct PaintCounter : QObject
{
    int paints = 0;

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Numbers the window updates (the UpdateRequest events of the top-level widget, each one push of
// the window to the screen) and notes in which of them each watched widget last painted, and in
// how many of them any watched widget painted: widgets painted in step share their updates.
struct UpdateWatch : QObject
{
    int updates = 0;
    int paintingUpdates = 0;
    QHash<const QObject *, int> lastPaintedIn;

    UpdateWatch(QWidget *window, std::initializer_list<QWidget *> watched)
        : m_window(window)
    {
        window->installEventFilter(this);
        for (QWidget *widget : watched)
            widget->installEventFilter(this);
    }

    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (object == m_window && event->type() == QEvent::UpdateRequest) {
            ++updates;
        } else if (object != m_window && event->type() == QEvent::Paint) {
            if (m_lastPainting != updates) {
                m_lastPainting = updates;
                ++paintingUpdates;
            }
            lastPaintedIn[object] = updates;
        }
        return false;
    }

private:
    QWidget *m_window;
    int m_lastPainting = -1;
};
