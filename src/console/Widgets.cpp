#include "console/Widgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>
#include <QValidator>

#include "console/HandlerGuard.h"

std::string ToStd(const QString& text) { return text.toStdString(); }

QString FromStd(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QComboBox* MakeEditableCombo(QWidget* parent, const char* name, const QStringList& items) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    return combo;
}

QComboBox* MakeFixedCombo(QWidget* parent, const char* name, const QStringList& items) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    return combo;
}

int ItemIndex(const QComboBox* combo) {
    if (!combo->isEditable()) return combo->currentIndex();
    return combo->findText(combo->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void SetItemIndex(QComboBox* combo, int index) {
    const QSignalBlocker blocker(combo);
    if (index < 0 || index >= combo->count()) {
        combo->setCurrentIndex(-1);
        if (combo->isEditable()) combo->setEditText(QString());
        return;
    }
    combo->setCurrentIndex(index);
    if (combo->isEditable()) combo->setEditText(combo->itemText(index));
}

void OnOperatorChange(QComboBox* combo, std::function<void()> handler) {
    QObject::connect(combo, &QComboBox::activated, combo, GuardedSlot(handler));
    if (combo->lineEdit())
        QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo, GuardedSlot(handler));
}

TRadioGroup::TRadioGroup(QWidget* parent, const char* name, const QString& caption,
                         const QStringList& items, int columns)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)) {
    setObjectName(name);
    auto* grid = new QGridLayout(this);
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setObjectName(QString("%1_item%2").arg(name).arg(i));
        group_->addButton(button, i);
        grid->addWidget(button, i % rows, i / rows);
    }
    connect(group_, &QButtonGroup::idClicked, this, [this](int) {
        if (OnClick) Guarded(OnClick);
    });
}

int TRadioGroup::ItemIndex() const { return group_->checkedId(); }

int TRadioGroup::Count() const { return static_cast<int>(group_->buttons().size()); }

void TRadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* b = group_->button(index)) {
        b->setChecked(true);
        return;
    }
    // An exclusive group shows "none checked" only this way.
    group_->setExclusive(false);
    for (QAbstractButton* b : group_->buttons()) b->setChecked(false);
    group_->setExclusive(true);
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& text) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    return edit;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    if (buddy) label->setBuddy(buddy);
    return label;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

namespace {

bool isHexDigit(QChar c) {
    const char u = c.toUpper().toLatin1();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F');
}

// Judges each of the operator's edits by what it inserts: a typed key, pasted
// or dropped text, an input method's text. An insertion is refused when one of
// its characters is, or when the field would grow beyond the limit; deletions
// always pass. Text set by code is not an edit and is never judged, so a stored
// "ZZ" stays as loaded (and is refused when it is sent) while typing into it is
// still filtered.
class KeyFilterWatcher : public QObject {
public:
    KeyFilterWatcher(QLineEdit* edit, const KeyFilter& filter)
        : QObject(edit), edit_(edit), filter_(filter) {}

    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress: {
                auto* key = static_cast<QKeyEvent*>(event);
                const bool command =
                    key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
                const bool typed =
                    !command && !key->text().isEmpty() && key->text().at(0).isPrint();
                const bool refused = key->matches(QKeySequence::Paste) ? refuses(clipboardText())
                                     : typed                           ? refuses(key->text())
                                                                       : false;
                if (refused) key->accept();  // taken here: the field's parents never see it
                return refused;
            }
            case QEvent::InputMethod:
                return refuses(static_cast<QInputMethodEvent*>(event)->commitString());
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(event);
                const bool refused = drop->mimeData() && refuses(drop->mimeData()->text(), false);
                if (refused) drop->ignore();
                return refused;
            }
            case QEvent::MouseButtonRelease:
                // The X11 selection is pasted at the click, the selection kept.
                return static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton &&
                       refuses(clipboardText(QClipboard::Selection), false);
            case QEvent::ContextMenu:
                return showContextMenu(static_cast<QContextMenuEvent*>(event));
            default:
                return false;
        }
    }

private:
    static QString clipboardText(QClipboard::Mode mode = QClipboard::Clipboard) {
        return QGuiApplication::clipboard()->text(mode);
    }

    bool refuses(const QString& inserted, bool replacesSelection = true) const {
        if (inserted.isEmpty() || edit_->isReadOnly()) return false;
        if (filter_.accepts)
            for (QChar c : inserted)
                if (!filter_.accepts(c)) return true;
        if (filter_.maxLength <= 0) return false;
        const qsizetype kept =
            edit_->text().size() - (replacesSelection ? edit_->selectedText().size() : 0);
        return kept + inserted.size() > filter_.maxLength;
    }

    // The field's own menu, with Paste offered only for text the filter takes.
    bool showContextMenu(QContextMenuEvent* event) {
        QMenu* menu = edit_->createStandardContextMenu();
        if (!menu) return false;
        // The menu's actions have no names; Paste is known by its own text.
        const QString paste = QCoreApplication::translate("QLineEdit", "&Paste");
        for (QAction* action : menu->actions())
            if (action->text().section('\t', 0, 0) == paste && refuses(clipboardText()))
                action->setEnabled(false);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPos());
        return true;
    }

    QLineEdit* edit_;
    KeyFilter filter_;
};

// Letters shown in upper case, whoever sets the text. Never refuses.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

class FocusExitWatcher : public QObject {
public:
    FocusExitWatcher(QLineEdit* edit, std::function<void()> handler)
        : QObject(edit), handler_(std::move(handler)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                Guarded(handler_);
        }
        return false;
    }

private:
    std::function<void()> handler_;
};

}  // namespace

KeyFilter HexKeyFilter(int maxLength, bool upperCase) {
    return KeyFilter{isHexDigit, maxLength, upperCase};
}

KeyFilter DecimalKeyFilter(int maxLength) {
    return KeyFilter{[](QChar c) { return c >= '0' && c <= '9'; }, maxLength, false};
}

void InstallKeyFilter(QLineEdit* edit, const KeyFilter& filter) {
    edit->installEventFilter(new KeyFilterWatcher(edit, filter));
    if (filter.upperCase) edit->setValidator(new UpperCaseValidator(edit));
}

void OnFocusExit(QLineEdit* edit, std::function<void()> handler) {
    edit->installEventFilter(new FocusExitWatcher(edit, std::move(handler)));
}

void PadSingleDigit(QLineEdit* edit) {
    if (edit->text().size() == 1) edit->setText("0" + edit->text());
}
