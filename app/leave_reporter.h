#pragma once

#include <QObject>

class QLineEdit;

// Makes a field report every loss of focus through editingFinished(), as users expect from
// "the answer appears the moment a field is left", not only a loss after an edit.
class LeaveReporter : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    void watch(QLineEdit *field);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_reported = false;
};
