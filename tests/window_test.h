#pragma once

#include "app/ohmara.h"

#include <QObject>
#include <QTest>

// What the tests of the window share: the pictures registered, and for every test function a
// fresh window, shown and active as a user finds it.
class WindowTest : public QObject
{
    Q_OBJECT

protected slots:
    void initTestCase() { Q_INIT_RESOURCE(pics); }
    void init()
    {
        m_window = new ohmara;
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
    }
    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
    }

protected:
    ohmara *m_window = nullptr;
};
