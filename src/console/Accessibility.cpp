#include "console/Accessibility.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLayout>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QWidget>

namespace {

bool hasOwnText(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return !b->text().isEmpty();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return !g->title().isEmpty();
    if (auto* l = qobject_cast<QLabel*>(w)) return !l->text().isEmpty();
    return false;
}

bool needsName(QWidget* w) {
    return qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
           qobject_cast<QListWidget*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
           qobject_cast<QStatusBar*>(w);
}

// The label whose buddy is w, or else the nearest label to its left or above
// within the same parent.
QString labelFor(QWidget* w) {
    QWidget* parent = w->parentWidget();
    if (!parent) return {};
    QLabel* best = nullptr;
    int bestDistance = 0;
    const QRect r = w->geometry();
    for (QLabel* label : parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (label->buddy() == w) return label->text().remove('&');
        const QRect l = label->geometry();
        const bool leftOf = l.right() <= r.left() && qAbs(l.center().y() - r.center().y()) < 16;
        const bool above = l.bottom() <= r.top() && r.top() - l.bottom() < 30 &&
                           l.left() < r.right() && l.right() > r.left();
        if (!leftOf && !above) continue;
        const int distance = leftOf ? r.left() - l.right() : r.top() - l.bottom();
        if (!best || distance < bestDistance) {
            best = label;
            bestDistance = distance;
        }
    }
    return best ? best->text().remove('&') : QString();
}

void describe(QWidget* w) {
    if (w->objectName().isEmpty()) return;
    w->setAccessibleDescription(w->objectName());
    if (hasOwnText(w) || !needsName(w) || !w->accessibleName().isEmpty()) return;
    const QString label = labelFor(w);
    w->setAccessibleName(label.isEmpty() ? w->objectName() : label);
}

}  // namespace

void ApplyAccessibility(QWidget* window) {
    // Layouts place widgets only when shown; geometry-based label lookup needs it.
    window->ensurePolished();
    if (window->layout()) window->layout()->activate();
    describe(window);
    for (QWidget* w : window->findChildren<QWidget*>()) describe(w);
}
