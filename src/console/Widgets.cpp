#include "console/Widgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QValidator>

#include "console/HandlerGuard.h"

std::string ToStd(const QString& text) { return text.toLatin1().toStdString(); }

QString FromStd(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
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

// Judges typed and pasted text alike; text set by code is never judged.
class KeyFilterValidator : public QValidator {
public:
    KeyFilterValidator(const KeyFilter& filter, QObject* parent)
        : QValidator(parent), filter_(filter) {}
    State validate(QString& input, int&) const override {
        if (filter_.maxLength > 0 && input.size() > filter_.maxLength) return Invalid;
        for (QChar c : input)
            if (filter_.accepts && !filter_.accepts(c)) return Invalid;
        if (filter_.upperCase) input = input.toUpper();
        return Acceptable;
    }

private:
    KeyFilter filter_;
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
    edit->setValidator(new KeyFilterValidator(filter, edit));
}

void OnFocusExit(QLineEdit* edit, std::function<void()> handler) {
    edit->installEventFilter(new FocusExitWatcher(edit, std::move(handler)));
}

void PadSingleDigit(QLineEdit* edit) {
    if (edit->text().size() == 1) edit->setText("0" + edit->text());
}
