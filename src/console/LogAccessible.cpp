#include "console/LogAccessible.h"

#include <QAccessibleWidget>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "console/LogView.h"

namespace {

class LogViewAccessible : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface {
public:
    explicit LogViewAccessible(LogView* view)
        : QAccessibleWidget(view, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.multiLine = true;
        s.editable = !view()->isReadOnly();
        s.readOnly = view()->isReadOnly();
        s.selectableText = true;
        return s;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return view()->toPlainText();
        return QAccessibleWidget::text(t);
    }

    // --- text ----------------------------------------------------------------
    QString text(int startOffset, int endOffset) const override {
        QTextCursor c = cursorFor(startOffset, endOffset);
        return c.selectedText().replace(QChar::ParagraphSeparator, u'\n');
    }
    int characterCount() const override {
        view()->TakeInPending();
        return view()->document()->characterCount() - 1;
    }
    int cursorPosition() const override {
        view()->TakeInPending();
        return view()->textCursor().position();
    }
    void setCursorPosition(int position) override {
        QTextCursor c = cursorFor(position, position);
        view()->setTextCursor(c);
    }
    int selectionCount() const override {
        view()->TakeInPending();
        return view()->textCursor().hasSelection() ? 1 : 0;
    }
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        const QTextCursor c = view()->textCursor();
        if (selectionIndex != 0 || !c.hasSelection()) return;
        *startOffset = c.selectionStart();
        *endOffset = c.selectionEnd();
    }
    void addSelection(int startOffset, int endOffset) override {
        setSelection(0, startOffset, endOffset);
    }
    void removeSelection(int selectionIndex) override {
        if (selectionIndex != 0) return;
        QTextCursor c = view()->textCursor();
        c.clearSelection();
        view()->setTextCursor(c);
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override {
        if (selectionIndex != 0) return;
        view()->setTextCursor(cursorFor(startOffset, endOffset));
    }
    QRect characterRect(int offset) const override {
        QTextCursor c = cursorFor(offset, offset);
        QRect r = view()->cursorRect(c);
        r.setWidth(view()->fontMetrics().horizontalAdvance(u'M'));
        return QRect(view()->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        view()->TakeInPending();
        const QPoint local = view()->viewport()->mapFromGlobal(point);
        return view()->cursorForPosition(local).position();
    }
    void scrollToSubstring(int startIndex, int endIndex) override {
        view()->setTextCursor(cursorFor(startIndex, endIndex));
        view()->ensureCursorVisible();
    }
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        // One plain font throughout: the whole text is one run.
        *startOffset = 0;
        *endOffset = characterCount();
        (void)offset;
        return QString();
    }

    // --- editable text -------------------------------------------------------
    void deleteText(int startOffset, int endOffset) override {
        replaceText(startOffset, endOffset, QString());
    }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString& text) override {
        if (view()->isReadOnly()) return;
        QTextCursor c = cursorFor(startOffset, endOffset);
        c.insertText(text);
    }

private:
    LogView* view() const { return static_cast<LogView*>(widget()); }

    QTextCursor cursorFor(int start, int end) const {
        view()->TakeInPending();
        const int last = view()->document()->characterCount() - 1;
        QTextCursor c(view()->document());
        c.setPosition(qBound(0, start, last));
        c.setPosition(qBound(0, end, last), QTextCursor::KeepAnchor);
        return c;
    }
};

QAccessibleInterface* logViewFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("LogView") && object && object->isWidgetType())
        return new LogViewAccessible(static_cast<LogView*>(object));
    return nullptr;
}

}  // namespace

void InstallLogAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(logViewFactory);
        return true;
    }();
    (void)installed;
}
