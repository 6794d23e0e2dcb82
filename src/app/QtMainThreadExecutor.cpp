#include "app/QtMainThreadExecutor.h"

#include <QCoreApplication>
#include <QMetaObject>

void QtMainThreadExecutor::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(fn), Qt::QueuedConnection);
}
